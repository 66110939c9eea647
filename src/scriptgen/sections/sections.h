#pragma once

#include "scriptgen/settings.h"

// Each generator reads the settings of its own section and appends that
// section's lines to `out`. None of them looks at its switch: the compiler
// calls a generator only while its switch is set.
namespace scriptgen {

void AddConnectionSection(const ScriptSettings& settings, Lines& out);
void AddMailSection(const ScriptSettings& settings, Lines& out);
void AddInsertSection(const ScriptSettings& settings, Lines& out);
void AddDisplayAllSection(const ScriptSettings& settings, Lines& out);
void AddDisplaySpecificSection(const ScriptSettings& settings, Lines& out);
void AddCreateTableSection(const ScriptSettings& settings, Lines& out);
void AddDropTableSection(const ScriptSettings& settings, Lines& out);

} // namespace scriptgen
