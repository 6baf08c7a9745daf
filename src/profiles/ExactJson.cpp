#include "profiles/ExactJson.h"
#include "profiles/ExactJsonReader.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <algorithm>

namespace ExactJson {

namespace {

bool keyLess(const Value::Member& member, const QByteArray& key) {
    return member.first < key;
}

} // namespace

Value Value::boolean(bool value) {
    Value result;
    result.m_type = Type::Bool;
    result.m_text = value ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
    return result;
}

Value Value::number(const QByteArray& text) {
    Value result;
    result.m_type = Type::Number;
    result.m_text = text;
    return result;
}

Value Value::string(const QString& text) {
    return stringFromUtf8(text.toUtf8());
}

Value Value::stringFromUtf8(const QByteArray& text) {
    Value result;
    result.m_type = Type::String;
    result.m_text = text;
    return result;
}

Value Value::array() {
    Value result;
    result.m_type = Type::Array;
    return result;
}

Value Value::object() {
    Value result;
    result.m_type = Type::Object;
    return result;
}

QString Value::toString() const {
    if (m_type != Type::String)
        return QString();
    // QString::fromUtf8() would drop a leading U+FEFF as a byte order mark.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(m_text);
}

const Value* Value::find(const QString& key) const {
    const QByteArray utf8 = key.toUtf8();
    const auto it = std::lower_bound(m_members.begin(), m_members.end(), utf8, keyLess);
    return it != m_members.end() && it->first == utf8 ? &it->second : nullptr;
}

void Value::insert(const QString& key, Value value) {
    if (m_type != Type::Object)
        return;
    QByteArray utf8 = key.toUtf8();
    const auto it = std::lower_bound(m_members.begin(), m_members.end(), utf8, keyLess);
    if (it != m_members.end() && it->first == utf8)
        it->second = std::move(value);
    else
        m_members.emplace(it, std::move(utf8), std::move(value));
}

void Value::remove(const QString& key) {
    const QByteArray utf8 = key.toUtf8();
    const auto it = std::lower_bound(m_members.begin(), m_members.end(), utf8, keyLess);
    if (it != m_members.end() && it->first == utf8)
        m_members.erase(it);
}

bool Value::operator==(const Value& other) const {
    return m_type == other.m_type && m_text == other.m_text && m_elements == other.m_elements &&
           m_members == other.m_members;
}

SyntaxError::SyntaxError(const QString& reason, qsizetype offset)
    : JsonError(offset < 0 ? reason
                           : QCoreApplication::translate("ExactJson", "%1 at byte %2")
                                 .arg(reason, QString::number(offset))) {}

// Builds a tree from the reader's events. Numbers arrive as their text.
class TreeBuilder {
public:
    using Ch = char;
    using SizeType = rapidjson::SizeType;

    Value root;
    bool tooDeep = false;

    bool Null() { return add(Value()); }
    bool Bool(bool value) { return add(Value::boolean(value)); }
    // Only RawNumber is called while numbers are read as strings.
    bool Int(int) { return false; }
    bool Uint(unsigned) { return false; }
    bool Int64(int64_t) { return false; }
    bool Uint64(uint64_t) { return false; }
    bool Double(double) { return false; }
    bool RawNumber(const Ch* text, SizeType length, bool) {
        return add(Value::number(QByteArray(text, qsizetype(length))));
    }
    bool String(const Ch* text, SizeType length, bool) {
        return add(Value::stringFromUtf8(QByteArray(text, qsizetype(length))));
    }
    bool Key(const Ch* text, SizeType length, bool) {
        m_key = QByteArray(text, qsizetype(length));
        return true;
    }
    bool StartObject() { return open(Value::object()); }
    bool StartArray() { return open(Value::array()); }
    bool EndArray(SizeType) {
        m_open.pop_back();
        return true;
    }
    bool EndObject(SizeType) {
        std::vector<Value::Member>& members = m_open.back()->m_members;
        m_open.pop_back();
        // Sorted by key; of members with the same key the last one read stays.
        const auto less = [](const Value::Member& a, const Value::Member& b) {
            return a.first < b.first;
        };
        const auto notBefore = [](const Value::Member& a, const Value::Member& b) {
            return !(a.first < b.first);
        };
        // Most files are written sorted already: then there is nothing to do.
        if (std::adjacent_find(members.begin(), members.end(), notBefore) == members.end())
            return true;
        std::stable_sort(members.begin(), members.end(), less);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (i + 1 < members.size() && members[i + 1].first == members[i].first)
                continue;
            if (kept != i)
                members[kept] = std::move(members[i]);
            ++kept;
        }
        members.erase(members.begin() + std::ptrdiff_t(kept), members.end());
        return true;
    }

private:
    // Puts a value into the innermost open container, or makes it the root.
    Value& place(Value value) {
        if (m_open.empty()) {
            root = std::move(value);
            return root;
        }
        Value* container = m_open.back();
        if (container->m_type == Value::Type::Array) {
            container->m_elements.push_back(std::move(value));
            return container->m_elements.back();
        }
        container->m_members.emplace_back(std::move(m_key), std::move(value));
        return container->m_members.back().second;
    }

    bool add(Value value) {
        place(std::move(value));
        return true;
    }

    bool open(Value container) {
        if (m_open.size() >= std::size_t(Reader::maxDepth)) {
            tooDeep = true;
            return false;
        }
        // A container's own list stays put while its children are filled.
        m_open.push_back(&place(std::move(container)));
        return true;
    }

    std::vector<Value*> m_open; // the containers being filled, innermost last
    QByteArray m_key;
};

namespace {

// Whether the bytes at `i` are a lone surrogate read from a \u escape: it has no UTF-8
// form, so it is written as the escape again.
bool isLoneSurrogate(const QByteArray& text, qsizetype i) {
    return static_cast<unsigned char>(text[i]) == 0xED && i + 2 < text.size() &&
           (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0xA0;
}

// Writes the escape of the byte (or lone surrogate) at `i`; returns how many bytes it took.
qsizetype writeEscape(QByteArray& out, const QByteArray& text, qsizetype i) {
    static const char hex[] = "0123456789abcdef";
    const auto c = static_cast<unsigned char>(text[i]);
    const qsizetype form = QByteArrayView("\"\\\b\f\n\r\t").indexOf(char(c));
    if (form >= 0 && c != 0) {
        out += '\\';
        out += "\"\\bfnrt"[form];
        return 1;
    }
    if (c < 0x20) {
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 0xf];
        return 1;
    }
    const unsigned code = 0xD000u | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                          (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hex[(code >> shift) & 0xf];
    return 3;
}

// The string in quotes, escaped where JSON requires it; the plain runs between escapes are
// copied whole.
void writeString(QByteArray& out, const QByteArray& text) {
    out += '"';
    qsizetype plain = 0; // where the run of bytes not written yet starts
    for (qsizetype i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && !isLoneSurrogate(text, i)) {
            ++i;
            continue;
        }
        out.append(text.constData() + plain, i - plain);
        i += writeEscape(out, text, i);
        plain = i;
    }
    out.append(text.constData() + plain, text.size() - plain);
    out += '"';
}

void writeValue(QByteArray& out, const Value& value, int indent) {
    switch (value.type()) {
    case Value::Type::Null:
        out += "null";
        return;
    case Value::Type::Bool:
    case Value::Type::Number:
        out += value.text();
        return;
    case Value::Type::String:
        writeString(out, value.text());
        return;
    case Value::Type::Array:
    case Value::Type::Object:
        break;
    }
    const bool isObject = value.isObject();
    const std::size_t count = isObject ? value.members().size() : value.elements().size();
    const QByteArray inner(4 * (indent + 1), ' ');
    out += isObject ? "{\n" : "[\n";
    for (std::size_t i = 0; i < count; ++i) {
        out += inner;
        if (isObject) {
            writeString(out, value.members()[i].first);
            out += ": ";
            writeValue(out, value.members()[i].second, indent + 1);
        } else {
            writeValue(out, value.elements()[i], indent + 1);
        }
        out += i + 1 < count ? ",\n" : "\n";
    }
    out += QByteArray(4 * indent, ' ');
    out += isObject ? '}' : ']';
}

} // namespace

QString Reader::reasonFor(rapidjson::ParseErrorCode code, bool tooDeep) {
    switch (code) {
    case rapidjson::kParseErrorDocumentRootNotSingular:
        return QCoreApplication::translate("ExactJson", "garbage at the end of the document");
    case rapidjson::kParseErrorObjectMissName:
        return QCoreApplication::translate("ExactJson", "missing the name of an object member");
    case rapidjson::kParseErrorObjectMissColon:
        return QCoreApplication::translate("ExactJson", "missing name separator");
    case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
        return QCoreApplication::translate("ExactJson", "unterminated object");
    case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
        return QCoreApplication::translate("ExactJson", "unterminated array");
    case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
    case rapidjson::kParseErrorStringEscapeInvalid:
        return QCoreApplication::translate("ExactJson", "invalid escape sequence");
    case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
        return QCoreApplication::translate("ExactJson", "invalid surrogate pair in a \\u escape");
    case rapidjson::kParseErrorStringMissQuotationMark:
        return QCoreApplication::translate("ExactJson", "unterminated string");
    case rapidjson::kParseErrorStringInvalidEncoding:
        return QCoreApplication::translate("ExactJson", "invalid UTF-8 in a string");
    case rapidjson::kParseErrorNumberTooBig:
        return QCoreApplication::translate("ExactJson", "number too large to read");
    case rapidjson::kParseErrorNumberMissFraction:
    case rapidjson::kParseErrorNumberMissExponent:
        return QCoreApplication::translate("ExactJson", "illegal number");
    case rapidjson::kParseErrorTermination:
        if (tooDeep)
            return QCoreApplication::translate("ExactJson", "too deeply nested");
        break;
    default:
        break;
    }
    return QCoreApplication::translate("ExactJson", "illegal value");
}

Value parse(const QByteArray& data) {
    TreeBuilder builder;
    Reader::readDocument(data, builder);
    return std::move(builder.root);
}

QByteArray write(const Value& value) {
    QByteArray out;
    writeValue(out, value, 0);
    out += '\n';
    return out;
}

} // namespace ExactJson
