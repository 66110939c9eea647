#include "formreader/encoding.h"

#include "formreader/ascii.h"
#include "scriptgen/utf8.h"

#include <algorithm>
#include <array>

namespace formreader {

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five bytes it
// leaves undefined stand for the C1 controls of the same number.
constexpr std::array<char32_t, 32> kWindows1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char32_t{b});
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unit = [&bytes, bigEndian](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const char32_t c = unit(i);
        const bool high = c >= 0xD800 && c < 0xDC00;
        const bool low = c >= 0xDC00 && c < 0xE000;
        if (high && i + 3 < bytes.size()) {
            const char32_t next = unit(i + 2);
            if (next >= 0xDC00 && next < 0xE000) {
                AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, high || low ? kReplacement : c);
    }
    if (i < bytes.size())
        AppendUtf8(out, kReplacement);
    return out;
}

} // namespace

Encoding EncodingOfLabel(std::string_view label)
{
    static constexpr std::string_view kUtf8[] = {
        "unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8", "x-unicode20utf8"};
    static constexpr std::string_view kUtf16LE[] = {
        "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "utf-16", "utf-16le"};
    static constexpr std::string_view kUtf16BE[] = {"unicodefffe", "utf-16be"};
    static constexpr std::string_view kWindows1252[] = {"ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1",
        "ibm819", "iso-8859-1", "iso-ir-100", "iso8859-1", "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1",
        "us-ascii", "windows-1252", "x-cp1252"};
    label = TrimBlanks(label);
    const auto named = [label](const auto& labels) {
        return std::any_of(std::begin(labels), std::end(labels),
            [label](std::string_view known) { return EqualsIgnoringCase(label, known); });
    };
    if (named(kUtf8))
        return Encoding::Utf8;
    if (named(kUtf16LE))
        return Encoding::Utf16LE;
    if (named(kUtf16BE))
        return Encoding::Utf16BE;
    if (named(kWindows1252))
        return Encoding::Windows1252;
    return Encoding::Unsupported;
}

std::string_view CharsetInContent(std::string_view content)
{
    constexpr std::string_view kCharset = "charset";
    std::size_t at = 0;
    while (at + kCharset.size() <= content.size()) {
        if (!EqualsIgnoringCase(content.substr(at, kCharset.size()), kCharset)) {
            ++at;
            continue;
        }
        at += kCharset.size();
        while (at < content.size() && IsAsciiBlank(content[at]))
            ++at;
        if (at == content.size() || content[at] != '=')
            continue;
        ++at;
        while (at < content.size() && IsAsciiBlank(content[at]))
            ++at;
        if (at == content.size())
            return {};
        const char quote = content[at];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = content.find(quote, at + 1);
            return end == std::string_view::npos ? std::string_view{} : content.substr(at + 1, end - at - 1);
        }
        std::size_t end = at;
        while (end < content.size() && !IsAsciiBlank(content[end]) && content[end] != ';')
            ++end;
        return content.substr(at, end - at);
    }
    return {};
}

ByteOrderMark ByteOrderMarkOf(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {Encoding::Utf8, 3};
    if (bytes.starts_with("\xFE\xFF"))
        return {Encoding::Utf16BE, 2};
    if (bytes.starts_with("\xFF\xFE"))
        return {Encoding::Utf16LE, 2};
    return {Encoding::Unsupported, 0};
}

bool IsValidUtf8(std::string_view bytes)
{
    char32_t code = 0;
    for (std::size_t at = 0; at < bytes.size();)
        if (!scriptgen::ReadUtf8(bytes, at, code))
            return false;
    return true;
}

std::string ToUtf8(std::string_view bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf16LE:
        return Utf16ToUtf8(bytes, false);
    case Encoding::Utf16BE:
        return Utf16ToUtf8(bytes, true);
    case Encoding::Utf8:
        return std::string(bytes);
    case Encoding::Windows1252:
    case Encoding::Unsupported:
        break;
    }
    return Windows1252ToUtf8(bytes);
}

std::string_view EncodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return "UTF-8";
    case Encoding::Utf16LE:
        return "UTF-16LE";
    case Encoding::Utf16BE:
        return "UTF-16BE";
    case Encoding::Windows1252:
        return "windows-1252";
    case Encoding::Unsupported:
        break;
    }
    return "an unsupported encoding";
}

} // namespace formreader
