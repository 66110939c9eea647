// What keeps settings from giving a working safe script: one row per kind of
// mistake, from sound settings with every task ticked, with the exact
// problems the user is shown.
#include "scriptgen/safe/check.h"
#include "scriptgen/safe/values.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using scriptgen::Box;
using scriptgen::Problem;
using scriptgen::ScriptSettings;

ScriptSettings Sound()
{
    ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.fieldList = {"name", "email", "first name"};
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = s.dropTable = true;
    s.host = "localhost";
    s.userName = "webuser";
    s.database = "shop";
    s.recipient = "owner@shop.test";
    s.subject = "Feedback";
    s.sender = "$email";
    s.mailVariables = {{"$name", true}, {"$email", true}, {"$first name", false}};
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    s.insertTable = "people";
    s.insertFields = {"name", "", "email"};
    s.insertValues = {"$name", "", "'$email'"};
    s.displayAllTable = s.displaySpecificTable = s.createTableName = "people";
    s.displayAllFields = {"name", "email"};
    s.whereField = "name";
    s.whereValue = "$name";
    s.displaySpecificFields = {"email"};
    s.createTableFields = {"name", "email", "Straße"};
    s.dropTableName = "old people";
    return s;
}

struct CheckCase {
    std::string name;
    std::function<void(ScriptSettings&)> change;
    std::vector<Problem> expected;
};

void PrintTo(const CheckCase& c, std::ostream* os)
{
    *os << c.name;
}

class SafeCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(SafeCheckTest, ListsEveryProblemInPlainWords)
{
    ScriptSettings settings = Sound();
    GetParam().change(settings);
    const std::vector<Problem> problems = scriptgen::CheckSafeScript(settings);
    ASSERT_EQ(problems.size(), GetParam().expected.size()) << (problems.empty() ? "" : problems.front().text);
    for (std::size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].text, GetParam().expected[i].text);
        EXPECT_EQ(problems[i].box, GetParam().expected[i].box) << problems[i].text;
    }
}

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

INSTANTIATE_TEST_SUITE_P(Settings, SafeCheckTest,
    testing::Values(CheckCase{"SoundSettings", [](ScriptSettings&) {}, {}},
        CheckCase{"UntickedTasksAreNotLookedAt",
            [](ScriptSettings& s) {
                s = ScriptSettings{};
                s.fieldList = {"name"};
                s.sendMail = true;
                s.recipient = "owner@shop.test";
                s.subject = "$name";
                s.mailVariables = {{"$name", true}};
                s.successPage = "thanks.html";
                s.failurePage = "sorry.html";
            },
            {}},
        CheckCase{"NoTask",
            [](ScriptSettings& s) {
                s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable =
                    s.dropTable = false;
            },
            {{Box::Switches,
                "No task is ticked: tick what the script must do, such as \"Send variables via email\" or \"Use "
                "'Database Records'\"."}}},
        CheckCase{"DatabaseTasksWithoutConnection", [](ScriptSettings& s) { s.useDatabase = false; },
            {{Box::Switches,
                "The database tasks need a database: tick \"Use a MySql Database\" on the page Script Setup and fill "
                "in its boxes."}}},
        CheckCase{"FieldNamesPhpCannotReceive",
            [](ScriptSettings& s) {
                s.fieldList = {"name", "[x]", "   ", "email", "zestrel_website", "first name", "zestrel.website"};
            },
            {{Box::FieldList,
                 "Enter Variables, line 2: \"[x]\" is not a name a form can send: it must hold more than blanks and "
                 "must not begin with \"[\"."},
                {Box::FieldList,
                    "Enter Variables, line 3: \"   \" is not a name a form can send: it must hold more than blanks "
                    "and must not begin with \"[\"."},
                {Box::FieldList,
                    "Enter Variables, line 5: \"zestrel_website\" arrives as \"zestrel_website\", the spam trap, which "
                    "the script checks by itself: remove the line, or give the form's field another name."},
                {Box::FieldList,
                    "Enter Variables, line 7: \"zestrel.website\" arrives as \"zestrel_website\", the spam trap, which "
                    "the script checks by itself: remove the line, or give the form's field another name."}}},
        CheckCase{"NoFieldsForMailAndInsert",
            [](ScriptSettings& s) {
                s.fieldList = {"", ""};
                s.sender = "";
                s.whereValue = "Ada";
                s.mailVariables = {};
                s.insertValues = {"Ada", "", "ada@shop.test"};
            },
            {{Box::FieldList, "Enter Variables is empty: type the names of the form's fields, one per line."},
                {Box::MailVariables,
                    "Select variables to email: no field is ticked: tick the fields the mail must carry."}}},
        CheckCase{"ConnectionBoxes",
            [](ScriptSettings& s) {
                s.host = "db:abc";
                s.userName = "";
                s.database = Repeat("d", 65);
            },
            {{Box::Host, "Host \"db:abc\": the port after \":\" must be a number from 1 to 65535."},
                {Box::UserName, "Username is empty: type the MySQL user the script connects as."},
                {Box::Database,
                    "Database Name \"dddddddddddddddddddddddddddddddddddddddd\xe2\x80\xa6\" is longer than the 64 "
                    "characters MySQL allows: shorten it."}}},
        CheckCase{"MistypedFieldsInValueBoxes",
            [](ScriptSettings& s) {
                s.recipient = "$mail";
                s.subject = "'$topic'";
                s.sender = "$emial";
                s.insertValues = {"$nam", "", "$email"};
                s.whereValue = "$first";
            },
            {{Box::Recipient,
                 "\"$mail\" in Recipient's email is not a field of the form: pick one from the list of fields, or "
                 "correct the name."},
                {Box::Subject,
                    "\"$topic\" in Subject is not a field of the form: pick one from the list of fields, or correct "
                    "the name."},
                {Box::Sender,
                    "\"$emial\" in From is not a field of the form: pick one from the list of fields, or correct the "
                    "name."},
                {Box::InsertValues,
                    "\"$nam\" in Variable / Value, row 1 is not a field of the form: pick one from the list of "
                    "fields, or correct the name."},
                {Box::WhereValue,
                    "\"$first\" in the value after \"=\" is not a field of the form: pick one from the list of "
                    "fields, or correct the name."}}},
        CheckCase{"LiteralTextsThatOnlyLookLikeFields",
            [](ScriptSettings& s) {
                s.subject = "$5 off: your order";
                s.insertValues = {"$ 100", "", "$"};
                s.whereValue = "'$first name'";
            },
            {}},
        CheckCase{"AddressesAndPages",
            [](ScriptSettings& s) {
                s.recipient = "owner@shop.test, you@example.com,,not an address";
                s.sender = "Shop <shop@shop.test>";
                s.subject = "";
                s.successPage = "http://";
                s.failurePage = "";
            },
            {{Box::Recipient,
                 "Recipient's email \"you@example.com\" is a sample address, which receives no mail: type the "
                 "address that must get the mail."},
                {Box::Recipient,
                    "Recipient's email \"\" is not an e-mail address: type one such as name@example.org (several "
                    "separated by commas), or pick a field of the form."},
                {Box::Recipient,
                    "Recipient's email \"not an address\" is not an e-mail address: type one such as "
                    "name@example.org (several separated by commas), or pick a field of the form."},
                {Box::Subject, "Subject is empty: type the subject of the mail, or pick a field of the form."},
                {Box::Sender,
                    "From \"Shop <shop@shop.test>\" is not one e-mail address: type the address the mail comes from, "
                    "such as webmaster@example.org, pick a field of the form, or leave it empty."},
                {Box::SuccessPage,
                    "Success Page still shows \"http://\": type the address of the page to show after the mail was "
                    "sent, such as thanks.html."},
                {Box::FailurePage,
                    "Failure Page is empty: type the address of the page to show when the mail could not be sent, "
                    "such as thanks.html."}}},
        CheckCase{"InsertPairs",
            [](ScriptSettings& s) {
                s.insertTable = "";
                s.insertFields = {"name", "", "Name"};
                s.insertValues = {"$name", "Ada", ""};
            },
            {{Box::InsertTable, "Insert into Table is empty: type the name as it is in the database."},
                {Box::InsertValues,
                    "Variable / Value, row 2: \"Ada\" stands beside no table field: type the field's name on line 2 "
                    "of Table Fields, or clear the value."},
                {Box::InsertFields, "Table Fields, line 3: \"Name\" is listed twice: remove one of the two lines."}}},
        CheckCase{"InsertWithoutValues",
            [](ScriptSettings& s) {
                s.insertValues = {"", "", ""};
            },
            {{Box::InsertValues,
                "No table field has a value: click a field's Variable / Value cell and pick a field of the form, or "
                "type a value."}}},
        CheckCase{"NamesMySqlRefuses",
            [](ScriptSettings& s) {
                s.createTableName = "x ";
                s.displayAllTable = "$table";
                s.displayAllFields = {};
                s.whereField = "mood \xf0\x9f\x98\x80";
                s.dropTableName = "old\npeople";
            },
            {{Box::DisplayAllTable,
                 "Display from Table (Display All Records) \"$table\" begins with \"$\", but names of tables and "
                 "fields cannot come from the form: type the name as it is in the database."},
                {Box::DisplayAllFields,
                    "Fields to display (Display All Records) is empty: type the fields to show, one per line."},
                {Box::WhereField,
                    "Where Field \"mood \xf0\x9f\x98\x80\" holds \"\xf0\x9f\x98\x80\", a character MySQL does not "
                    "allow in names: remove it."},
                {Box::CreateTableName,
                    "Table name (New Database Table) \"x \" ends with a blank, which MySQL does not allow: remove the "
                    "blank."},
                {Box::DropTableName,
                    "Table Name (Delete Table) \"old\npeople\" holds a line break or another control character, "
                    "which MySQL does not allow: remove it."}}},
        CheckCase{"NameThatIsNotUtf8", [](ScriptSettings& s) { s.dropTableName = "old\xf8\x88\x80"; },
            {{Box::DropTableName,
                "Table Name (Delete Table) \"old\xf8\x88\x80\" is not valid UTF-8 text: type the name again."}}},
        CheckCase{"NewTableColumns",
            [](ScriptSettings& s) {
                s.createTableFields = {"ID", "name", "", "Ärger", "ärger"};
            },
            {{Box::CreateTableFields,
                 "Fields (New Database Table), line 1: \"ID\" is the record number the script adds by itself: remove "
                 "the line, or give the field another name."},
                {Box::CreateTableFields,
                    "Fields (New Database Table), line 5: \"ärger\" is listed twice: remove one of the two lines."}}},
        CheckCase{"TooManyColumnsForOneRow",
            [](ScriptSettings& s) {
                s.createTableFields.clear();
                for (int i = 0; i < 73; ++i)
                    s.createTableFields.push_back("f" + std::to_string(i));
            },
            {{Box::CreateTableFields,
                "Fields (New Database Table) lists 73 fields, but a MySQL table holds at most 72 text fields of 225 "
                "characters: use two tables."}}}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

// The forms people type into the Host box for MySQL, and what mysqli gets.
TEST(SafeHostTest, ReadsWhatPeopleTypeForMySql)
{
    struct HostCase {
        std::string typed, host;
        std::optional<unsigned> port;
        std::string socket;
        bool problem = false;
    };
    const HostCase cases[] = {
        {"localhost", "localhost", std::nullopt, ""},
        {"db.example.org:3307", "db.example.org", 3307, ""},
        {"localhost:3307", "127.0.0.1", 3307, ""},
        {"localhost:/run/mysqld/mysqld.sock", "localhost", std::nullopt, "/run/mysqld/mysqld.sock"},
        {"[::1]:3307", "[::1]", 3307, ""},
        {"[::1]", "[::1]", std::nullopt, ""},
        {"::1", "[::1]", std::nullopt, ""},
        {"", "", std::nullopt, "", true},
        {"db:0", "", std::nullopt, "", true},
        {"db:65536", "", std::nullopt, "", true},
        {":3306", "", std::nullopt, "", true},
        {"db.example.org:/tmp/mysql.sock", "", std::nullopt, "", true},
        {"[::1", "", std::nullopt, "", true},
        {"[::1]x", "", std::nullopt, "", true},
        {"my host", "", std::nullopt, "", true},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.typed);
        const scriptgen::safe::Endpoint endpoint = scriptgen::safe::ParseHost(c.typed);
        EXPECT_EQ(!endpoint.problem.empty(), c.problem) << endpoint.problem;
        if (c.problem)
            continue;
        EXPECT_EQ(endpoint.host, c.host);
        EXPECT_EQ(endpoint.port, c.port);
        EXPECT_EQ(endpoint.socket, c.socket);
    }
}

} // namespace
