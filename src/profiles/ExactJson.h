#pragma once

#include "profiles/Errors.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// JSON for files that belong to someone else (auth.json, settings.json): every value
// comes back as it was read. A number keeps its text ("1.0", "-0", "1e-400" and
// "12345678901234567890" are written unchanged); a string keeps its characters (escapes
// may be written differently). Object members are sorted by key and a repeated key keeps
// its last value, as with QJsonObject.
namespace ExactJson {

class Value {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    // An object member: the key in UTF-8 and its value.
    using Member = std::pair<QByteArray, Value>;

    Value() = default; // null
    static Value boolean(bool value);
    // `text` must be a JSON number as written in a document.
    static Value number(const QByteArray& text);
    static Value string(const QString& text);
    static Value stringFromUtf8(const QByteArray& text);
    static Value array();
    static Value object();

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isString() const { return m_type == Type::String; }
    bool isObject() const { return m_type == Type::Object; }
    // A string's characters, a number's text, "true" or "false"; empty for the others.
    const QByteArray& text() const { return m_text; }
    // A string's characters (a U+FEFF it starts with included); empty for the others.
    QString toString() const;

    // Array elements; empty for other types.
    const std::vector<Value>& elements() const { return m_elements; }

    // Object members in key order; empty for other types.
    const std::vector<Member>& members() const { return m_members; }
    // The member's value; nullptr when this is not an object or has no such member.
    const Value* find(const QString& key) const;
    // Sets a member of an object, replacing an existing one.
    void insert(const QString& key, Value value);
    void remove(const QString& key);

    bool operator==(const Value& other) const;

private:
    friend class TreeBuilder;
    Type m_type = Type::Null;
    QByteArray m_text;
    std::vector<Value> m_elements;
    std::vector<Member> m_members;
};

// The document could not be parsed. localizedDescription() tells what and where, for
// example "unterminated string at byte 7"; callers put it into their own sentence.
class SyntaxError : public JsonError {
public:
    // `offset` is a byte offset into the document; -1 when there is no place to name.
    SyntaxError(const QString& reason, qsizetype offset);
};

// Parses a whole document strictly: the top level must be an object or an array, the
// text valid UTF-8 (a leading byte-order mark is skipped), nesting at most 1024 deep.
// Throws SyntaxError.
Value parse(const QByteArray& data);

// Where a string member lies in the text of a document, found in one strict reading of it
// (the rules of parse()): `key` is the path of object keys from the top. The text between
// `begin` and `end` is the whole string token, quotes included, and `value` its characters.
struct StringAt {
    qsizetype begin = 0;
    qsizetype end = 0;
    QByteArray value;
};
// One result per path, in their order: nothing for a path that does not lead to exactly
// one string (missing, another type, or a key on the way repeated). Throws SyntaxError.
std::vector<std::optional<StringAt>> findStrings(const QByteArray& data,
                                                 const std::vector<std::vector<QByteArray>>& paths);

// Pretty-printed with four spaces of indentation and a final line break, the layout of
// QJsonDocument::Indented.
QByteArray write(const Value& value);

} // namespace ExactJson
