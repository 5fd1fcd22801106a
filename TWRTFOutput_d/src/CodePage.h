#pragma once
// Windows code pages as RTF files name them (\ansicpgN, \cpgN, \fcharsetN).

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tw::rtf {

inline constexpr int kCodePage1252 = 1252;

// The code page of an RTF font character set (\fcharsetN), or nothing for the
// document's own code page (ANSI, default) and for character sets without one (symbol).
std::optional<int> codePageOfCharset(int charset);

// Decodes bytes of `codePage`; unknown code pages decode as Windows-1252, undecodable
// bytes become U+FFFD.
QString decode(int codePage, QByteArrayView bytes);

// The Windows-1252 byte of a character, if it has one.
std::optional<unsigned char> encode1252(char16_t ch);

}  // namespace tw::rtf
