// Random settings with a fixed seed: whatever the inputs, the script keeps its
// frame, each section has the size it must have and stands in its place, and
// no line break reaches a line unless an input held one.
#include "randomsettings.h"
#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace {

using scriptgen::Lines;
using scriptgen::ScriptSettings;

std::size_t NonEmpty(const Lines& lines)
{
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); }));
}

bool StartsWith(const std::string& line, std::string_view prefix)
{
    return line.starts_with(prefix);
}

struct ExpectedSection {
    bool ScriptSettings::*enabled;
    std::string_view firstLinePrefix;
    std::string_view lastLine;
    std::size_t (*lineCount)(const ScriptSettings&);
};

const ExpectedSection kOrder[] = {
    {&ScriptSettings::useDatabase, "mysql_connect(\"", " ", [](const ScriptSettings&) -> std::size_t { return 3; }},
    {&ScriptSettings::sendMail, "if(mail(", " ", [](const ScriptSettings&) -> std::size_t { return 5; }},
    {&ScriptSettings::insertRecord, "mysql_query(\"INSERT INTO ", " ",
        [](const ScriptSettings&) -> std::size_t { return 2; }},
    {&ScriptSettings::displayAll, "echo \"<table border='1'>\";", " ",
        [](const ScriptSettings& s) { return 7 + 2 * NonEmpty(s.displayAllFields); }},
    {&ScriptSettings::displaySpecific, "echo \"<table border='1'><tr>\";", " ",
        [](const ScriptSettings& s) { return 7 + 2 * NonEmpty(s.displaySpecificFields); }},
    {&ScriptSettings::createTable, "$create_query = \"CREATE TABLE ", "",
        [](const ScriptSettings& s) { return 8 + NonEmpty(s.createTableFields); }},
    {&ScriptSettings::dropTable, "$drop_query = \"DROP TABLE ", "",
        [](const ScriptSettings&) -> std::size_t { return 7; }},
};

TEST(CompileScriptProperties, FrameSectionSizesAndOrderHoldForRandomSettings)
{
    RandomSettings random(20261208, {"a", "Z", "_", "0", " ", "$", "'", "\"", "\\", ",", "é", "漢"});
    for (int round = 0; round < 3000; ++round) {
        const ScriptSettings settings = random.Settings();
        const Lines script = scriptgen::CompileScript(settings);
        SCOPED_TRACE("round " + std::to_string(round));

        ASSERT_GE(script.size(), 5u);
        EXPECT_EQ(script[0], "<?php");
        EXPECT_EQ(script[1], "");
        EXPECT_EQ(script[script.size() - 2], "");
        EXPECT_EQ(script.back(), "?>");

        const std::size_t assignments = NonEmpty(settings.fieldList);
        std::size_t at = 2 + assignments;
        ASSERT_LT(at, script.size());
        EXPECT_EQ(script[at], "") << "empty line after the assignments";
        ++at;
        for (const ExpectedSection& section : kOrder) {
            if (!(settings.*section.enabled))
                continue;
            const std::size_t count = section.lineCount(settings);
            ASSERT_LE(at + count, script.size() - 2);
            EXPECT_TRUE(StartsWith(script[at], section.firstLinePrefix)) << script[at];
            EXPECT_EQ(script[at + count - 1], section.lastLine);
            at += count;
        }
        EXPECT_EQ(at, script.size() - 2) << "nothing stands between the last section and the closing lines";

        for (const std::string& line : script)
            ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
}

TEST(CompileScriptProperties, HugeInputsCompile)
{
    const std::string megabyte(1 << 20, 'x');
    ScriptSettings s;
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = s.dropTable = true;
    s.host = s.recipient = s.sender = s.insertTable = s.whereValue = s.dropTableName = megabyte;
    constexpr std::size_t kLines = 100000;
    s.fieldList.assign(kLines, "field");
    s.mailVariables.assign(kLines, {"$field", true});
    s.insertFields.assign(kLines, "field");
    s.insertValues.assign(kLines, "$field");
    s.displayAllFields.assign(kLines, "field");
    s.displaySpecificFields.assign(kLines, "field");
    s.createTableFields.assign(kLines, "field");
    s.fieldList.push_back(megabyte);

    const Lines script = scriptgen::CompileScript(s);

    const std::size_t expected = 5 + (kLines + 1) + 3 + 5 + 2 + (7 + 2 * kLines) * 2 + (8 + kLines) + 7;
    ASSERT_EQ(script.size(), expected);
    EXPECT_EQ(script[2 + kLines], "$" + megabyte + " = $_POST['" + megabyte + "'];");
    EXPECT_EQ(script.back(), "?>");
}

} // namespace
