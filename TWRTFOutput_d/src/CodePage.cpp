#include "CodePage.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <map>

namespace tw::rtf {
namespace {

// Windows-1252 from 0x80 to 0x9F; the rest of the page equals ISO 8859-1. Unassigned
// positions decode to U+FFFD.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

struct CharsetCodePage {
    int charset;
    int codePage;
};
// RTF \fcharset values with the Windows code page each stands for.
constexpr std::array<CharsetCodePage, 18> kCharsetCodePages = {{
    {77, 10000},
    {128, 932},
    {129, 949},
    {130, 1361},
    {134, 936},
    {136, 950},
    {161, 1253},
    {162, 1254},
    {163, 1258},
    {177, 1255},
    {178, 1256},
    {186, 1257},
    {204, 1251},
    {222, 874},
    {238, 1250},
    {254, 437},
    {255, 850},
    {78, 10001},
}};

struct CodePageName {
    int codePage;
    const char* name;
};
// Names under which ICU, behind QStringDecoder, knows the code pages.
constexpr std::array<CodePageName, 20> kCodePageNames = {{
    {437, "IBM437"},        {850, "IBM850"},        {874, "windows-874"},
    {932, "windows-31j"},   {936, "GBK"},           {949, "windows-949"},
    {950, "Big5"},          {1250, "windows-1250"}, {1251, "windows-1251"},
    {1253, "windows-1253"}, {1254, "windows-1254"}, {1255, "windows-1255"},
    {1256, "windows-1256"}, {1257, "windows-1257"}, {1258, "windows-1258"},
    {1361, "ibm-1361"},     {10000, "macintosh"},   {10001, "x-mac-japanese"},
    {65001, "UTF-8"},       {20127, "US-ASCII"},
}};

QString decode1252(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kWindows1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

}  // namespace

std::optional<int> codePageOfCharset(int charset) {
    const auto* it =
        std::find_if(kCharsetCodePages.begin(), kCharsetCodePages.end(),
                     [charset](const CharsetCodePage& e) { return e.charset == charset; });
    if (it == kCharsetCodePages.end()) return std::nullopt;
    return it->codePage;
}

QString decode(int codePage, QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    if (codePage == kCodePage1252) return decode1252(bytes);
    const auto* entry =
        std::find_if(kCodePageNames.begin(), kCodePageNames.end(),
                     [codePage](const CodePageName& e) { return e.codePage == codePage; });
    if (entry == kCodePageNames.end()) return decode1252(bytes);
    // Decoders are costly to open; each code page gets one, kept for the thread.
    thread_local std::map<int, QStringDecoder> decoders;
    auto [it, inserted] =
        decoders.try_emplace(codePage, entry->name, QStringConverter::Flag::Stateless);
    if (!it->second.isValid()) return decode1252(bytes);
    return it->second.decode(bytes);
}

std::optional<unsigned char> encode1252(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
    const auto* it = std::find(kWindows1252High.begin(), kWindows1252High.end(), ch);
    if (ch == 0xFFFD || it == kWindows1252High.end()) return std::nullopt;
    return static_cast<unsigned char>(0x80 + (it - kWindows1252High.begin()));
}

}  // namespace tw::rtf
