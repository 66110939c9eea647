#include "scriptgen/safe/php.h"

namespace scriptgen::safe {

namespace {

bool IsControl(unsigned char c)
{
    return (c < 0x20 && c != '\t') || c == 0x7f;
}

} // namespace

std::string PhpString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    bool open = false; // inside a quoted run
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte)) {
            if (open)
                out += "' . ";
            else if (!out.empty())
                out += " . ";
            out += "chr(" + std::to_string(byte) + ")";
            open = false;
            continue;
        }
        if (!open) {
            if (!out.empty())
                out += " . ";
            out += '\'';
            open = true;
        }
        if (c == '\\' || c == '\'')
            out += '\\';
        out += c;
    }
    if (open)
        out += '\'';
    if (out.empty())
        out = "''";
    return out;
}

std::string SqlName(std::string_view name)
{
    std::string out;
    out.reserve(name.size() + 2);
    out += '`';
    for (const char c : name) {
        if (c == '`')
            out += '`';
        out += c;
    }
    out += '`';
    return out;
}

} // namespace scriptgen::safe
