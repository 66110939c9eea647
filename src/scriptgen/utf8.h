#pragma once

#include <cstddef>
#include <string_view>

namespace scriptgen {

// Reads the UTF-8 character at `at` into `code` and moves `at` past it.
// Returns false, leaving `at` where it was, for bytes that are not valid
// UTF-8: a stray or missing continuation byte, an overlong form, a surrogate
// or a value beyond U+10FFFF.
inline bool ReadUtf8(std::string_view text, std::size_t& at, char32_t& code)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        code = lead;
        ++at;
        return true;
    }
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead >= 0xc2 && lead < 0xe0) {
        length = 2;
        code = lead & 0x1fu;
        smallest = 0x80;
    } else if (lead >= 0xe0 && lead < 0xf0) {
        length = 3;
        code = lead & 0x0fu;
        smallest = 0x800;
    } else if (lead >= 0xf0 && lead < 0xf5) {
        length = 4;
        code = lead & 0x07u;
        smallest = 0x10000;
    } else {
        return false;
    }
    if (at + length > text.size())
        return false;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xc0u) != 0x80u)
            return false;
        code = (code << 6) | (next & 0x3fu);
    }
    if (code < smallest || code > 0x10ffff || (code >= 0xd800 && code < 0xe000))
        return false;
    at += length;
    return true;
}

} // namespace scriptgen
