#pragma once

#include <string>
#include <string_view>

// How text from the window enters a safe script. Every text stands in the
// script as data, never as code: PHP gets it as a single-quoted literal and
// MySQL gets names in back-quotes, so no character can end the text early.
namespace scriptgen::safe {

// A PHP expression whose value is exactly the bytes of `text`: a
// single-quoted literal with backslash and quote escaped. Control characters
// (line breaks among them) are joined in as chr() calls, so a script line
// never holds one.
std::string PhpString(std::string_view text);

// A MySQL table or column name in back-quotes, each back-quote doubled.
std::string SqlName(std::string_view name);

} // namespace scriptgen::safe
