#pragma once

// The character encodings a form page is read in. Every text the reader
// hands on is UTF-8; pages in other encodings are converted first.
#include <string>
#include <string_view>

namespace formreader {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252, Unsupported };

// The encoding an encoding label names, matched the way browsers match
// labels (blanks around it ignored, any case). ISO-8859-1, Latin-1 and
// US-ASCII name Windows-1252, as in browsers. Unknown labels give
// Unsupported.
Encoding EncodingOfLabel(std::string_view label);

// The label in a meta element's content attribute, as in
// content="text/html; charset=ISO-8859-1"; empty when there is none.
std::string_view CharsetInContent(std::string_view content);

// The encoding a byte-order mark at the start of `bytes` names, and the
// mark's length; Unsupported and 0 without a mark.
struct ByteOrderMark {
    Encoding encoding;
    std::size_t length;
};
ByteOrderMark ByteOrderMarkOf(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Converts text in `encoding` to UTF-8; Unsupported is read as Windows-1252,
// which keeps every ASCII character. A UTF-16 surrogate without its partner,
// and a final odd byte, become U+FFFD.
std::string ToUtf8(std::string_view bytes, Encoding encoding);

// The name a person knows the encoding by ("UTF-8", "windows-1252").
std::string_view EncodingName(Encoding encoding);

} // namespace formreader
