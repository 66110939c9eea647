#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scriptgen {

// The key under which PHP files a posted form control of the given name in
// $_POST, or nothing when PHP drops the control. PHP cuts the name at a NUL,
// drops leading blanks, turns blanks and dots into underscores, and files a
// name with a "[...]" part (items[], items[a]) as an array under the part
// before the bracket; a "[" that no "]" closes becomes an underscore too, as
// does every blank, dot and "[" after it. A name that leaves nothing before
// its first bracket is dropped.
std::optional<std::string> PostedKey(std::string_view controlName);

// Whether PHP files the control under its name as it is, as most names are:
// no blank, dot, bracket or NUL.
bool KeptAsNamed(std::string_view controlName);

} // namespace scriptgen
