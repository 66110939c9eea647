#pragma once

#include "scriptgen/safe/check.h"

#include <QString>

#include <vector>

namespace zestrel {

// The example texts two boxes of the window start with: no field or value of
// anyone's, so a safe compile refuses them.
inline constexpr const char* kWhereFieldExample = "Enter Field's Name";
inline constexpr const char* kWhereValueExample = "Enter / Select Value";

// What keeps the settings from compiling as they are: for the safe script,
// every problem the script's check finds and every example text left in a
// box, in the order of the window's boxes; nothing for the classic script,
// which takes any settings.
std::vector<scriptgen::Problem> ProblemsBeforeCompile(const scriptgen::ScriptSettings& settings);

// One problem in plain words: the box by its caption, what is wrong and what
// to do.
QString Describe(const scriptgen::Problem& problem);

} // namespace zestrel
