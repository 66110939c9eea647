#pragma once

#include "scriptgen/safe/check.h"

#include <QString>
#include <QStringList>

namespace zestrel {

// One problem of the settings in plain words, as the window says it: the
// control by the caption the user sees, what is wrong and what to do there.
QString Describe(const scriptgen::Problem& problem);

// What to know about a script that compiled: the safe script's warnings, or
// that the classic script's database sections need PHP 5; one sentence each.
QStringList NotesAfterCompile(const scriptgen::ScriptSettings& settings);

} // namespace zestrel
