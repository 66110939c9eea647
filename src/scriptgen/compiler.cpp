#include "scriptgen/compiler.h"

#include "scriptgen/phpline.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

namespace {

// An upper bound on the lines a compile appends, so the buffer grows once.
std::size_t EstimateLineCount(const ScriptSettings& s)
{
    std::size_t count = 5 + s.fieldList.size();
    if (s.useDatabase)
        count += 3;
    if (s.sendMail)
        count += 5;
    if (s.insertRecord)
        count += 2;
    if (s.displayAll)
        count += 7 + 2 * s.displayAllFields.size();
    if (s.displaySpecific)
        count += 7 + 2 * s.displaySpecificFields.size();
    if (s.createTable)
        count += 8 + s.createTableFields.size();
    if (s.dropTable)
        count += 7;
    return count;
}

} // namespace

std::string AssignmentLine(const std::string& name)
{
    return PhpLine().Code("$", name, " = $_POST['", name, "'];").Take();
}

Lines CompileScript(const ScriptSettings& settings)
{
    if (settings.target == Target::Safe)
        return safe::CompileSafeScript(settings);

    Lines script;
    script.reserve(EstimateLineCount(settings));

    script.emplace_back("<?php");
    script.emplace_back();
    for (const std::string& field : settings.fieldList)
        if (HoldsText(field))
            script.push_back(AssignmentLine(field));
    script.emplace_back();

    struct Section {
        bool ScriptSettings::*enabled;
        void (*generate)(const ScriptSettings&, Lines&);
    };
    static constexpr Section kSections[] = {
        {&ScriptSettings::useDatabase, AddConnectionSection},
        {&ScriptSettings::sendMail, AddMailSection},
        {&ScriptSettings::insertRecord, AddInsertSection},
        {&ScriptSettings::displayAll, AddDisplayAllSection},
        {&ScriptSettings::displaySpecific, AddDisplaySpecificSection},
        {&ScriptSettings::createTable, AddCreateTableSection},
        {&ScriptSettings::dropTable, AddDropTableSection},
    };
    for (const Section& section : kSections)
        if (settings.*section.enabled)
            section.generate(settings, script);

    script.emplace_back();
    script.emplace_back("?>");
    return script;
}

} // namespace scriptgen
