#pragma once

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "scriptgen/settings.h"

// Small helpers shared by the section generators. Every script line is built
// with one allocation at most: its length is known before it is assembled.
namespace scriptgen::text {

namespace detail {

// A piece as a view. Arrays are the program's own string literals, so their
// length is known at compile time and no strlen runs per line.
template <std::size_t N> constexpr std::string_view View(const char (&literal)[N])
{
    return {literal, N - 1};
}

inline std::string_view View(std::string_view piece)
{
    return piece;
}

} // namespace detail

// Fills a line whose final length is known before it is assembled: one
// allocation of that size, then plain copies without append's capacity
// checks. A piece that would overrun the length is a fault in the caller's
// arithmetic and stops with an exception instead of writing past the end.
class LineWriter {
public:
    explicit LineWriter(std::size_t size) : line_(size, '\0'), at_(line_.data()) {}
    // The write position points into the line's own buffer, which for short
    // lines lives inside the object: a copy or move would leave it dangling.
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    LineWriter& Put(std::string_view piece)
    {
        if (piece.size() > Remaining())
            throw std::logic_error("script line longer than its computed length");
        if (!piece.empty())
            std::memcpy(at_, piece.data(), piece.size());
        at_ += piece.size();
        return *this;
    }

    LineWriter& Put(char c)
    {
        if (Remaining() == 0)
            throw std::logic_error("script line longer than its computed length");
        *at_++ = c;
        return *this;
    }

    // The finished line; it must be exactly as long as announced.
    std::string Finish() &&
    {
        if (Remaining() != 0)
            throw std::logic_error("script line shorter than its computed length");
        return std::move(line_);
    }

private:
    std::size_t Remaining() const { return line_.size() - static_cast<std::size_t>(at_ - line_.data()); }

    std::string line_;
    char* at_;
};

// The pieces joined into one new line. A variadic template rather than an
// initializer list: the pieces' lengths stay in registers and the copies of
// literals inline, which matters because this runs for nearly every line.
template <typename... Pieces> std::string Concat(const Pieces&... pieces)
{
    LineWriter line((detail::View(pieces).size() + ...));
    (line.Put(detail::View(pieces)), ...);
    return std::move(line).Finish();
}

template <typename... Pieces> void Append(Lines& out, const Pieces&... pieces)
{
    out.push_back(Concat(pieces...));
}

// The only test any generator applies to a line: does it hold a character?
inline bool HoldsText(std::string_view line)
{
    return !line.empty();
}

} // namespace scriptgen::text
