#pragma once

#include "scriptgen/safe/check.h"

#include <string>

namespace zestrel {

// One problem of the settings as a terminal line says it: the setting by its
// key in the settings file, a password by the environment variable that
// supplies it, then what is wrong.
std::string TerminalText(const scriptgen::Problem& problem);

} // namespace zestrel
