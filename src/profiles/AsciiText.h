#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <string_view>

// Checks of text that only ASCII may pass: names, keys and schemes.
namespace AsciiText {

inline bool isWordCharacter(char32_t c, std::string_view others) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
           (c < 0x80 && others.find(char(c)) != std::string_view::npos);
}

// Whether the text is not empty and holds only ASCII letters, digits and the characters
// of `others`.
inline bool isWord(QStringView text, std::string_view others) {
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (!isWordCharacter(c.unicode(), others))
            return false;
    return true;
}

inline bool isWord(QByteArrayView text, std::string_view others) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (!isWordCharacter(static_cast<unsigned char>(c), others))
            return false;
    return true;
}

} // namespace AsciiText
