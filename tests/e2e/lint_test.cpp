// Every generated script goes through `php -l`. One row per kind of settings:
// each section alone, all of them, empty and blank-only inputs, and the kinds
// of input that are known to make invalid PHP (the README lists the latter as
// what a user must avoid; these rows keep that list true).
#include "support.h"

#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

using scriptgen::ScriptSettings;

struct LintCase {
    std::string name;
    std::function<void(ScriptSettings&)> setUp;
    bool valid;
};

void PrintTo(const LintCase& c, std::ostream* os)
{
    *os << c.name;
}

// Every box and list holds a typical value; no switch is set.
ScriptSettings Filled()
{
    ScriptSettings s;
    s.fieldList = {"name", "email", "city"};
    s.host = "localhost";
    s.userName = "webuser";
    s.password = "secret";
    s.database = "shop";
    s.recipient = "owner@example.com";
    s.subject = "Feedback";
    s.sender = "$email";
    s.mailVariables = {{"$name", true}, {"$email", true}, {"$city", false}};
    s.successPage = "thanks.html";
    s.failurePage = "error.html";
    s.insertTable = "people";
    s.insertFields = {"name", "email", "city"};
    s.insertValues = {"$name", "$email", "$city"};
    s.displayAllTable = "people";
    s.displayAllFields = {"name", "email"};
    s.displaySpecificTable = "people";
    s.whereField = "name";
    s.whereValue = "'$name'";
    s.displaySpecificFields = {"email", "city"};
    s.createTableName = "people";
    s.createTableFields = {"name", "email", "city"};
    s.dropTableName = "oldpeople";
    return s;
}

void TickAll(ScriptSettings& s)
{
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = s.dropTable = true;
}

// The typical settings with only the given section ticked.
std::function<void(ScriptSettings&)> Alone(bool ScriptSettings::*section)
{
    return [section](ScriptSettings& s) {
        s = Filled();
        s.*section = true;
    };
}

// The typical settings, every section ticked, then one change.
std::function<void(ScriptSettings&)> AllWith(const std::function<void(ScriptSettings&)>& change)
{
    return [change](ScriptSettings& s) {
        s = Filled();
        TickAll(s);
        change(s);
    };
}

class LintTest : public testing::TestWithParam<LintCase> {};

TEST_P(LintTest, PhpAcceptsOnlyValidScripts)
{
    const LintCase& c = GetParam();
    ScriptSettings settings;
    c.setUp(settings);
    e2e::TempDir dir;
    const auto script = dir.path() / "script.php";
    e2e::WriteScript(script, scriptgen::CompileScript(settings));

    const e2e::ProcessResult lint = e2e::Run({ZESTREL_PHP, "-n", "-l", script.string()}, {e2e::PathEntry()});
    const std::string report = lint.out + lint.err + "\n" + e2e::ReadFile(script);
    if (c.valid) {
        EXPECT_EQ(lint.exitCode, 0) << report;
        EXPECT_NE(lint.out.find("No syntax errors detected"), std::string::npos) << report;
    } else {
        EXPECT_NE(lint.exitCode, 0) << "expected PHP to reject the script\n" << report;
        EXPECT_NE((lint.out + lint.err).find("error"), std::string::npos) << report;
    }
}

std::string CaseName(const testing::TestParamInfo<LintCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Accepted, LintTest,
    testing::Values(LintCase{"EmptySettings", [](ScriptSettings&) {}, true},
        LintCase{"FrameOnly", [](ScriptSettings& s) { s = Filled(); }, true},
        LintCase{"ConnectionAlone", Alone(&ScriptSettings::useDatabase), true},
        LintCase{"MailAlone", Alone(&ScriptSettings::sendMail), true},
        LintCase{"InsertAlone", Alone(&ScriptSettings::insertRecord), true},
        LintCase{"DisplayAllAlone", Alone(&ScriptSettings::displayAll), true},
        LintCase{"DisplaySpecificAlone", Alone(&ScriptSettings::displaySpecific), true},
        LintCase{"CreateTableAlone", Alone(&ScriptSettings::createTable), true},
        LintCase{"DropTableAlone", Alone(&ScriptSettings::dropTable), true},
        LintCase{"AllSections", AllWith([](ScriptSettings&) {}), true},
        LintCase{"AllSectionsEmptyInputs", TickAll, true},
        LintCase{"AllSectionsOnlyEmptyLines",
            [](ScriptSettings& s) {
                TickAll(s);
                s.fieldList = s.insertFields = s.insertValues = s.displayAllFields = s.displaySpecificFields =
                    s.createTableFields = {"", ""};
                s.mailVariables = {{"$name", false}, {"$", true}};
            },
            true},
        LintCase{"BlankOnlyBoxes", AllWith([](ScriptSettings& s) {
                     s.host = s.userName = s.password = s.database = "  ";
                     s.recipient = s.subject = s.sender = s.successPage = s.failurePage = "  ";
                     s.insertTable = s.displayAllTable = s.displaySpecificTable = s.createTableName = s.dropTableName =
                         "  ";
                     s.whereField = s.whereValue = "  ";
                 }),
            true},
        LintCase{"BlankOnlyColumnsAndValues", AllWith([](ScriptSettings& s) {
                     s.insertFields = s.insertValues = s.createTableFields = {"  ", "name"};
                     s.mailVariables = {{"$  ", true}};
                 }),
            true},
        LintCase{"VariablesInMailBoxes", AllWith([](ScriptSettings& s) {
                     s.fieldList = {"to", "subject", "from", "name"};
                     s.recipient = "$to";
                     s.subject = "$subject";
                     s.sender = "$from";
                 }),
            true},
        LintCase{"SingleQuotesInsideDoubleQuotedBoxes", AllWith([](ScriptSettings& s) {
                     s.password = "it's";
                     s.sender = "O'Brien <ob@example.com>";
                     s.successPage = "it's.html";
                     s.insertValues = {"O'Brien"};
                 }),
            true},
        LintCase{"DollarSignsInDoubleQuotedBoxes", AllWith([](ScriptSettings& s) {
                     s.password = "pa$$word";
                     s.insertTable = "$table";
                     s.whereValue = "$name";
                 }),
            true},
        LintCase{"NonAsciiFieldNames", AllWith([](ScriptSettings& s) {
                     s.fieldList = s.displayAllFields = {"prénom", "straße"};
                     s.mailVariables = {{"$prénom", true}};
                 }),
            true},
        LintCase{"KeywordsAndUnderscoresAsFieldNames", AllWith([](ScriptSettings& s) {
                     s.fieldList = s.displayAllFields = {"class", "_first", "field_2"};
                 }),
            true}),
    CaseName);

// A double quote closes the PHP string that the box's text stands in.
std::function<void(ScriptSettings&)> DoubleQuoteIn(std::string ScriptSettings::*box)
{
    return AllWith([box](ScriptSettings& s) { s.*box = "say\"hi"; });
}

INSTANTIATE_TEST_SUITE_P(Rejected, LintTest,
    testing::Values(
        LintCase{"FieldNameWithBlank", AllWith([](ScriptSettings& s) { s.fieldList = {"first name"}; }), false},
        LintCase{"FieldNameBlankOnly", AllWith([](ScriptSettings& s) { s.fieldList = {"  "}; }), false},
        LintCase{"FieldNameWithHyphen", AllWith([](ScriptSettings& s) { s.fieldList = {"e-mail"}; }), false},
        LintCase{"FieldNameWithDot", AllWith([](ScriptSettings& s) { s.fieldList = {"e.mail"}; }), false},
        LintCase{"FieldNameStartingWithDigit", AllWith([](ScriptSettings& s) { s.fieldList = {"2nd"}; }), false},
        LintCase{"FieldNameWithSingleQuote", AllWith([](ScriptSettings& s) { s.fieldList = {"it's"}; }), false},
        LintCase{"FieldNameWithDoubleQuote", AllWith([](ScriptSettings& s) { s.fieldList = {"say\"hi"}; }), false},
        LintCase{"FieldNameThis", AllWith([](ScriptSettings& s) { s.fieldList = {"this"}; }), false},
        LintCase{"FieldNameGlobals", AllWith([](ScriptSettings& s) { s.fieldList = {"GLOBALS"}; }), false},
        LintCase{"DisplayAllFieldWithBlank",
            [](ScriptSettings& s) {
                s = Filled();
                s.displayAll = true;
                s.displayAllFields = {"first name"};
            },
            false},
        LintCase{"DisplaySpecificFieldBlankOnly",
            [](ScriptSettings& s) {
                s = Filled();
                s.displaySpecific = true;
                s.displaySpecificFields = {"  "};
            },
            false},
        LintCase{"DoubleQuoteInHost", DoubleQuoteIn(&ScriptSettings::host), false},
        LintCase{"DoubleQuoteInUserName", DoubleQuoteIn(&ScriptSettings::userName), false},
        LintCase{"DoubleQuoteInPassword", DoubleQuoteIn(&ScriptSettings::password), false},
        LintCase{"DoubleQuoteInDatabase", DoubleQuoteIn(&ScriptSettings::database), false},
        LintCase{"DoubleQuoteInSender", DoubleQuoteIn(&ScriptSettings::sender), false},
        LintCase{"DoubleQuoteInSuccessPage", DoubleQuoteIn(&ScriptSettings::successPage), false},
        LintCase{"DoubleQuoteInFailurePage", DoubleQuoteIn(&ScriptSettings::failurePage), false},
        LintCase{"DoubleQuoteInInsertTable", DoubleQuoteIn(&ScriptSettings::insertTable), false},
        LintCase{"DoubleQuoteInDisplayAllTable", DoubleQuoteIn(&ScriptSettings::displayAllTable), false},
        LintCase{"DoubleQuoteInDisplaySpecificTable", DoubleQuoteIn(&ScriptSettings::displaySpecificTable), false},
        LintCase{"DoubleQuoteInWhereField", DoubleQuoteIn(&ScriptSettings::whereField), false},
        LintCase{"DoubleQuoteInWhereValue", DoubleQuoteIn(&ScriptSettings::whereValue), false},
        LintCase{"DoubleQuoteInCreateTableName", DoubleQuoteIn(&ScriptSettings::createTableName), false},
        LintCase{"DoubleQuoteInDropTableName", DoubleQuoteIn(&ScriptSettings::dropTableName), false},
        LintCase{"DoubleQuoteInInsertField", AllWith([](ScriptSettings& s) { s.insertFields = {"say\"hi"}; }), false},
        LintCase{"DoubleQuoteInInsertValue", AllWith([](ScriptSettings& s) { s.insertValues = {"say\"hi"}; }), false},
        LintCase{"DoubleQuoteInCreateTableField", AllWith([](ScriptSettings& s) { s.createTableFields = {"say\"hi"}; }),
            false},
        LintCase{"BackslashEndingPassword", AllWith([](ScriptSettings& s) { s.password = "secret\\"; }), false},
        LintCase{"BackslashEndingSender", AllWith([](ScriptSettings& s) { s.sender = "webmaster\\"; }), false},
        LintCase{"BackslashEndingSubject", AllWith([](ScriptSettings& s) { s.subject = "Feedback\\"; }), false},
        LintCase{"BraceDollarInHost", AllWith([](ScriptSettings& s) { s.host = "{$host"; }), false},
        LintCase{
            "SingleQuoteInRecipient", AllWith([](ScriptSettings& s) { s.recipient = "o'brien@example.com"; }), false},
        LintCase{"SingleQuoteInSubject", AllWith([](ScriptSettings& s) { s.subject = "Visitor's note"; }), false},
        LintCase{"DollarAloneAsRecipient", AllWith([](ScriptSettings& s) { s.recipient = "$"; }), false},
        LintCase{"DollarNameWithBlankAsSubject", AllWith([](ScriptSettings& s) { s.subject = "$my subject"; }), false}),
    CaseName);

} // namespace
