#pragma once

#include "scriptgen/settings.h"

namespace scriptgen {

// Builds the complete text of one PHP script from the settings. The classic
// script has the opening tag, one assignment per non-empty field name, the
// sections whose switches are set (connection, mail, insert, display all,
// display specific, create table, drop table, always in that order) and the
// closing tag. The safe script (Target::Safe) treats every text as data and
// is valid PHP for any settings; CheckSafeScript tells whether it can work.
Lines CompileScript(const ScriptSettings& settings);

// The assignment line that fills the PHP variable `name` from the posted form.
std::string AssignmentLine(const std::string& name);

} // namespace scriptgen
