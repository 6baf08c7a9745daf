#pragma once

// The strict reading that ExactJson's parse() and findStrings() share; not for other users.

#include "profiles/ExactJson.h"

#include <QCoreApplication>

#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>

namespace ExactJson::Reader {

// Deeper documents are refused, so that writing and destroying a tree never runs the
// stack out.
constexpr int maxDepth = 1024;

// The reason a reading failed, in words.
QString reasonFor(rapidjson::ParseErrorCode code, bool tooDeep);

inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Runs the strict reader over the whole document, giving the handler the stream so that
// it can tell where it is. Throws SyntaxError.
template <class Handler> void readDocument(const QByteArray& data, Handler& handler) {
    const qsizetype start = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    qsizetype first = start;
    while (first < data.size() && isSpace(data[first]))
        ++first;
    if (data.isEmpty())
        throw SyntaxError(QCoreApplication::translate("ExactJson", "the file is empty"), -1);
    if (first == data.size())
        throw SyntaxError(
            QCoreApplication::translate("ExactJson", "the file holds only white space"), -1);
    if (data[first] != '{' && data[first] != '[')
        throw SyntaxError(
            QCoreApplication::translate("ExactJson",
                                        "the document does not start with an object or an array"),
            first);
    // The reader stops at a NUL byte as if the text ended there; JSON allows none anywhere.
    const qsizetype nul = data.indexOf('\0');
    if (nul >= 0)
        throw SyntaxError(QCoreApplication::translate("ExactJson", "illegal value"), nul);

    constexpr unsigned flags = rapidjson::kParseIterativeFlag |
                               rapidjson::kParseNumbersAsStringsFlag |
                               rapidjson::kParseValidateEncodingFlag;
    // The reader's UTF-8 check takes all the bytes a sequence announces before it looks
    // at them, so a sequence cut short at the very end would be read past the text: it
    // gets NUL bytes to read there, which fail the check.
    QByteArray text = data;
    text.append(QByteArray(4, '\0'));
    rapidjson::Reader reader;
    rapidjson::StringStream stream(text.constData() + start);
    if constexpr (requires { handler.stream; }) {
        handler.stream = &stream;
        handler.start = start;
    }
    const rapidjson::ParseResult result = reader.Parse<flags>(stream, handler);
    if (result.IsError())
        throw SyntaxError(reasonFor(result.Code(), handler.tooDeep),
                          start + qsizetype(result.Offset()));
}

} // namespace ExactJson::Reader
