#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include "scriptgen/settings.h"

// Small helpers shared by the section generators. Every script line is built
// with one allocation at most: its length is known before it is assembled.
namespace scriptgen::text {

inline std::string Concat(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (std::string_view piece : pieces)
        size += piece.size();
    // Sized once, then filled by plain copies: this runs for nearly every
    // line of a script, so it avoids append's per-piece capacity checks.
    std::string line(size, '\0');
    char* at = line.data();
    for (std::string_view piece : pieces) {
        if (!piece.empty())
            std::memcpy(at, piece.data(), piece.size());
        at += piece.size();
    }
    return line;
}

inline void Append(Lines& out, std::initializer_list<std::string_view> pieces)
{
    out.push_back(Concat(pieces));
}

// The only test any generator applies to a line: does it hold a character?
inline bool HoldsText(std::string_view line)
{
    return !line.empty();
}

} // namespace scriptgen::text
