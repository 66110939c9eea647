#pragma once

#include "scriptgen/settings.h"

#include <string>
#include <vector>

namespace scriptgen {

// The boxes of the window a problem can be about, so that the window can
// bring the right one to the front.
enum class Box {
    Switches,
    FieldList,
    Host,
    UserName,
    Database,
    Recipient,
    Subject,
    Sender,
    MailVariables,
    SuccessPage,
    FailurePage,
    InsertTable,
    InsertFields,
    InsertValues,
    DisplayAllTable,
    DisplayAllFields,
    DisplaySpecificTable,
    WhereField,
    WhereValue,
    DisplaySpecificFields,
    CreateTableName,
    CreateTableFields,
    DropTableName,
};

// One reason why the settings give no sound safe script: the box, and a
// sentence in plain words that says what is wrong and what to do.
struct Problem {
    Box box;
    std::string text;
};

// The name of the hidden field a form may carry as a spam trap: people never
// see it and leave it empty, robots fill it in.
inline constexpr const char* kSpamTrapField = "zestrel_website";

// Every problem that keeps the settings from giving a safe script that works,
// in the order of the window's pages; empty when there is none. Only the
// ticked tasks are looked at.
std::vector<Problem> CheckSafeScript(const ScriptSettings& settings);

} // namespace scriptgen
