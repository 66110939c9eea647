// What keeps settings from giving a working safe script: one row per kind of
// mistake, from sound settings with every task ticked, with the exact
// problems the user is shown.
#include "mainwindow/problemtext.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/safe/values.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using scriptgen::ScriptSettings;
using scriptgen::Setting;

// A problem as the user reads it: the box it concerns and the sentence.
struct Shown {
    Setting setting;
    std::string text;
};

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
    s.ownerPassword = "correct horse";
    return s;
}

struct CheckCase {
    std::string name;
    std::function<void(ScriptSettings&)> change;
    std::vector<Shown> expected;
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
    const std::vector<scriptgen::Problem> problems = scriptgen::CheckSafeScript(settings);
    ASSERT_EQ(problems.size(), GetParam().expected.size())
        << (problems.empty() ? "" : zestrel::Describe(problems.front()).toStdString());
    for (std::size_t i = 0; i < problems.size(); ++i) {
        const std::string text = zestrel::Describe(problems[i]).toStdString();
        EXPECT_EQ(text, GetParam().expected[i].text);
        EXPECT_EQ(problems[i].setting, GetParam().expected[i].setting) << text;
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
            {{Setting::UseDatabase,
                "No task is ticked: tick what the script must do, such as \"Send variables via email\" or \"Use "
                "'Database Records'\"."}}},
        CheckCase{"DatabaseTasksWithoutConnection", [](ScriptSettings& s) { s.useDatabase = false; },
            {{Setting::UseDatabase,
                "The database tasks need a database: tick \"Use a MySql Database\" on the page Script Setup and fill "
                "in its boxes."}}},
        CheckCase{"FieldNamesPhpCannotReceive",
            [](ScriptSettings& s) {
                s.fieldList = {
                    "name", "[x]", "   ", "email", "zestrel_website", "first name", "zestrel.website", "zestrel trap"};
            },
            {{Setting::FieldList,
                 "Enter Variables, line 2: \"[x]\" is not a name a form can send: it must hold more than blanks and "
                 "must not begin with \"[\"."},
                {Setting::FieldList,
                    "Enter Variables, line 3: \"   \" is not a name a form can send: it must hold more than blanks "
                    "and must not begin with \"[\"."},
                {Setting::FieldList,
                    "Enter Variables, line 5: \"zestrel_website\" arrives as \"zestrel_website\", the spam trap, which "
                    "the script checks by itself: remove the line, or give the form's field another name."},
                {Setting::FieldList,
                    "Enter Variables, line 7: \"zestrel.website\" arrives as \"zestrel_website\", the spam trap, which "
                    "the script checks by itself: remove the line, or give the form's field another name."},
                {Setting::FieldList,
                    "Enter Variables, line 8: \"zestrel trap\" arrives as \"zestrel_trap\", the spam trap, which the "
                    "script checks by itself: remove the line, or give the form's field another name."}}},
        CheckCase{"NoFieldsForMailAndInsert",
            [](ScriptSettings& s) {
                s.fieldList = {"", ""};
                s.sender = "";
                s.whereValue = "Ada";
                s.mailVariables = {};
                s.insertValues = {"Ada", "", "ada@shop.test"};
            },
            {{Setting::FieldList, "Enter Variables is empty: type the names of the form's fields, one per line."},
                {Setting::MailVariables,
                    "Select variables to email: no field is ticked: tick the fields the mail must carry."}}},
        CheckCase{"ConnectionBoxes",
            [](ScriptSettings& s) {
                s.host = "db:abc";
                s.userName = "";
                s.database = Repeat("d", 65);
            },
            {{Setting::Host, "Host \"db:abc\": the port after \":\" must be a number from 1 to 65535."},
                {Setting::UserName, "Username is empty: type the MySQL user the script connects as."},
                {Setting::Database,
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
            {{Setting::Recipient,
                 "\"$mail\" in Recipient's email is not a field of the form: pick one from the list of fields, or "
                 "correct the name."},
                {Setting::Subject,
                    "\"$topic\" in Subject is not a field of the form: pick one from the list of fields, or correct "
                    "the name."},
                {Setting::Sender,
                    "\"$emial\" in From is not a field of the form: pick one from the list of fields, or correct the "
                    "name."},
                {Setting::InsertValues,
                    "\"$nam\" in Variable / Value, row 1 is not a field of the form: pick one from the list of "
                    "fields, or correct the name."},
                {Setting::WhereValue,
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
            {{Setting::Recipient,
                 "Recipient's email \"you@example.com\" is a sample address, which receives no mail: type the "
                 "address that must get the mail."},
                {Setting::Recipient,
                    "Recipient's email \"\" is not an e-mail address: type one such as name@example.org (several "
                    "separated by commas), or pick a field of the form."},
                {Setting::Recipient,
                    "Recipient's email \"not an address\" is not an e-mail address: type one such as "
                    "name@example.org (several separated by commas), or pick a field of the form."},
                {Setting::Subject, "Subject is empty: type the subject of the mail, or pick a field of the form."},
                {Setting::Sender,
                    "From \"Shop <shop@shop.test>\" is not one e-mail address: type the address the mail comes from, "
                    "such as webmaster@example.org, pick a field of the form, or leave it empty."},
                {Setting::SuccessPage,
                    "Success Page still shows \"http://\": type the address of the page to show after the mail was "
                    "sent, such as thanks.html."},
                {Setting::FailurePage,
                    "Failure Page is empty: type the address of the page to show when the mail could not be sent, "
                    "such as thanks.html."}}},
        CheckCase{"InsertPairs",
            [](ScriptSettings& s) {
                s.insertTable = "";
                s.insertFields = {"name", "", "Name"};
                s.insertValues = {"$name", "Ada", ""};
            },
            {{Setting::InsertTable, "Insert into Table is empty: type the name as it is in the database."},
                {Setting::InsertValues,
                    "Variable / Value, row 2: \"Ada\" stands beside no table field: type the field's name on line 2 "
                    "of Table Fields, or clear the value."},
                {Setting::InsertFields,
                    "Table Fields, line 3: \"Name\" is listed twice: remove one of the two lines."}}},
        CheckCase{"InsertWithoutValues",
            [](ScriptSettings& s) {
                s.insertValues = {"", "", ""};
            },
            {{Setting::InsertValues,
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
            {{Setting::DisplayAllTable,
                 "Display from Table (Display All Records) \"$table\" begins with \"$\", but names of tables and "
                 "fields cannot come from the form: type the name as it is in the database."},
                {Setting::DisplayAllFields,
                    "Fields to display (Display All Records) is empty: type the fields to show, one per line."},
                {Setting::WhereField,
                    "Where Field \"mood \xf0\x9f\x98\x80\" holds \"\xf0\x9f\x98\x80\", a character MySQL does not "
                    "allow in names: remove it."},
                {Setting::CreateTableName,
                    "Table name (New Database Table) \"x \" ends with a blank, which MySQL does not allow: remove the "
                    "blank."},
                {Setting::DropTableName,
                    "Table Name (Delete Table) \"old\npeople\" holds a line break or another control character, "
                    "which MySQL does not allow: remove it."}}},
        CheckCase{"NameThatIsNotUtf8", [](ScriptSettings& s) { s.dropTableName = "old\xf8\x88\x80"; },
            {{Setting::DropTableName,
                // The message shows each byte that is no character as U+FFFD.
                "Table Name (Delete Table) \"old\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\" is not valid UTF-8 text: "
                "type the name again."}}},
        CheckCase{"NewTableColumns",
            [](ScriptSettings& s) {
                s.createTableFields = {"ID", "name", "", "Ärger", "ärger"};
            },
            {{Setting::CreateTableFields,
                 "Fields (New Database Table), line 1: \"ID\" is the record number the script adds by itself: remove "
                 "the line, or give the field another name."},
                {Setting::CreateTableFields,
                    "Fields (New Database Table), line 5: \"ärger\" is listed twice: remove one of the two lines."}}},
        CheckCase{"TooManyColumnsForOneRow",
            [](ScriptSettings& s) {
                s.createTableFields.clear();
                for (int i = 0; i < 73; ++i)
                    s.createTableFields.push_back("f" + std::to_string(i));
            },
            {{Setting::CreateTableFields,
                "Fields (New Database Table) lists 73 fields, but a MySQL table holds at most 72 text fields of 225 "
                "characters: use two tables."}}},
        CheckCase{"LimitsReachedButNotPassed",
            [](ScriptSettings& s) {
                s.createTableFields.clear();
                for (int i = 0; i < 72; ++i)
                    s.createTableFields.push_back("f" + std::to_string(i));
                s.database = Repeat("d", 64);
                s.insertTable = Repeat("\xc3\xa4", 64); // counted in characters, not bytes
            },
            {}},
        CheckCase{"NameOneCharacterTooLong", [](ScriptSettings& s) { s.createTableName = Repeat("\xc3\xa4", 65); },
            {{Setting::CreateTableName,
                "Table name (New Database Table) \"" + Repeat("\xc3\xa4", 40) +
                    "\xe2\x80\xa6\" is longer than the 64 characters MySQL allows: shorten it."}}},
        CheckCase{"ConnectionAloneIsATask",
            [](ScriptSettings& s) {
                s = ScriptSettings{};
                s.target = scriptgen::Target::Safe;
                s.useDatabase = true;
                s.host = "localhost";
                s.userName = "webuser";
                s.database = "shop";
            },
            {}},
        CheckCase{"InsertWithoutFields",
            [](ScriptSettings& s) {
                s.fieldList = {};
                s.sendMail = false;
                s.insertValues = {"Ada", "", "ada@shop.test"};
                s.whereValue = "Ada";
            },
            {{Setting::FieldList, "Enter Variables is empty: type the names of the form's fields, one per line."}}},
        CheckCase{"MailWithoutFields",
            [](ScriptSettings& s) {
                s = ScriptSettings{};
                s.target = scriptgen::Target::Safe;
                s.sendMail = true;
                s.recipient = "owner@shop.test";
                s.subject = "Feedback";
                s.successPage = "thanks.html";
                s.failurePage = "sorry.html";
            },
            {{Setting::FieldList, "Enter Variables is empty: type the names of the form's fields, one per line."},
                {Setting::MailVariables,
                    "Select variables to email: no field is ticked: tick the fields the mail must carry."}}},
        CheckCase{"PagesHoldingControlCharacters",
            [](ScriptSettings& s) {
                s.successPage = "thanks\n.html";
                s.failurePage = "sorry\x7f.html";
            },
            {{Setting::SuccessPage,
                 "Success Page holds a line break or another control character: type the address of the page to show "
                 "after the mail was sent, such as thanks.html."},
                {Setting::FailurePage,
                    "Failure Page holds a line break or another control character: type the address of the page to "
                    "show when the mail could not be sent, such as thanks.html."}}},
        CheckCase{"AddressesAtTheEdges",
            [](ScriptSettings& s) {
                s.recipient = "a@localhost, x@example.org,y@mail.example.net , z@EXAMPLE.COM,owner@notexample.com  ,"
                              "azAZ09!#$%&'*+-/=?^_`{|}~.x@a-z.AZ09.test";
                s.sender = "caf\xc3\xa9@shop.test";
            },
            {{Setting::Recipient,
                 "Recipient's email \"a@localhost\" is not an e-mail address: type one such as name@example.org "
                 "(several separated by commas), or pick a field of the form."},
                {Setting::Recipient,
                    "Recipient's email \"x@example.org\" is a sample address, which receives no mail: type the "
                    "address that must get the mail."},
                {Setting::Recipient,
                    "Recipient's email \"y@mail.example.net\" is a sample address, which receives no mail: type the "
                    "address that must get the mail."},
                {Setting::Recipient,
                    "Recipient's email \"z@EXAMPLE.COM\" is a sample address, which receives no mail: type the "
                    "address that must get the mail."},
                {Setting::Sender,
                    "From \"caf\xc3\xa9@shop.test\" is not one e-mail address: type the address the mail comes from, "
                    "such as webmaster@example.org, pick a field of the form, or leave it empty."}}},
        CheckCase{"DomainLabelsOutOfShape",
            [](ScriptSettings& s) {
                s.recipient = "a@-shop.test,b@shop-.test,c@shop..test,d@" + Repeat("x", 64) + ".test";
            },
            {{Setting::Recipient,
                 "Recipient's email \"a@-shop.test\" is not an e-mail address: type one such as name@example.org "
                 "(several separated by commas), or pick a field of the form."},
                {Setting::Recipient,
                    "Recipient's email \"b@shop-.test\" is not an e-mail address: type one such as name@example.org "
                    "(several separated by commas), or pick a field of the form."},
                {Setting::Recipient,
                    "Recipient's email \"c@shop..test\" is not an e-mail address: type one such as name@example.org "
                    "(several separated by commas), or pick a field of the form."},
                {Setting::Recipient,
                    "Recipient's email \"d@" + Repeat("x", 38) +
                        "\xe2\x80\xa6\" is not an e-mail address: type one such as name@example.org (several "
                        "separated by commas), or pick a field of the form."}}},
        CheckCase{"TablesNeedTheOwner", [](ScriptSettings& s) { s.ownerPassword.clear(); },
            {{Setting::OwnerPassword,
                "Owner password is empty, but creating and deleting a table must be kept to you: type an owner "
                "password on the page Script Setup, and sign in with the user name owner and that password to run the "
                "script."}}},
        CheckCase{"PublicRecordsDoNotOpenTheTables",
            [](ScriptSettings& s) {
                s.ownerPassword.clear();
                s.recordsPublic = true;
                s.createTable = false;
            },
            {{Setting::OwnerPassword,
                "Owner password is empty, but creating and deleting a table must be kept to you: type an owner "
                "password on the page Script Setup, and sign in with the user name owner and that password to run the "
                "script."}}},
        CheckCase{"RecordsNeedTheOwner",
            [](ScriptSettings& s) {
                s.ownerPassword.clear();
                s.createTable = s.dropTable = false;
            },
            {{Setting::OwnerPassword,
                "Owner password is empty, so anyone could read every stored record: type an owner password on the "
                "page Script Setup, or tick \"Anyone may view the records\" on the page View Database Records if they "
                "are public."}}},
        CheckCase{"PublicRecordsNeedNoOwner",
            [](ScriptSettings& s) {
                s.ownerPassword.clear();
                s.createTable = s.dropTable = false;
                s.recordsPublic = true;
            },
            {}},
        CheckCase{
            "OwnerPasswordOfTheMostBytes", [](ScriptSettings& s) { s.ownerPassword = Repeat("\xc3\xa4", 36); }, {}},
        CheckCase{"OwnerPasswordOneByteTooLong",
            [](ScriptSettings& s) { s.ownerPassword = Repeat("\xc3\xa4", 36) + "!"; },
            {{Setting::OwnerPassword,
                "Owner password is 73 bytes long, but only the first 72 would count: shorten it."}}},
        CheckCase{
            "OwnerPasswordOfEightCharacters", [](ScriptSettings& s) { s.ownerPassword = Repeat("\xc3\xa4", 8); }, {}},
        CheckCase{"OwnerPasswordOfSevenCharacters", [](ScriptSettings& s) { s.ownerPassword = Repeat("\xc3\xa4", 7); },
            {{Setting::OwnerPassword,
                "Owner password has 7 characters, but anyone on the Internet may try passwords on your pages: type "
                "one of at least 8 characters, best a few words."}}},
        CheckCase{"OwnerPasswordWithAControlCharacter", [](ScriptSettings& s) { s.ownerPassword = "pass\tword"; },
            {{Setting::OwnerPassword,
                "Owner password holds a control character, which a browser cannot send: type the password again."}}},
        CheckCase{"RecipientFromTheForm", [](ScriptSettings& s) { s.recipient = "'$email'"; },
            {{Setting::Recipient,
                "Recipient's email takes the address from the field \"email\", so anyone could send mail through your "
                "site to any address: type your own address instead (several separated by commas)."}}},
        CheckCase{"TickedEntryOfABlankLineIsNoField",
            [](ScriptSettings& s) {
                s.mailVariables.push_back({"$", true});
            },
            {}},
        CheckCase{"OnlyTheBlankLineTicked",
            [](ScriptSettings& s) {
                s.mailVariables = {{"$", true}, {"$name", false}};
            },
            {{Setting::MailVariables,
                "Select variables to email: no field is ticked: tick the fields the mail must carry."}}},
        CheckCase{"MailServerAtItsEdges",
            [](ScriptSettings& s) {
                s.mailFrom = "website@shop.test";
                s.smtp = scriptgen::SmtpServer{"smtp.shop.test", 1, scriptgen::SmtpServer::Security::Tls, "ada", "pw"};
            },
            {}},
        CheckCase{"MailServerOnTheSameMachineNeedsNoEncryption",
            [](ScriptSettings& s) {
                s.mailFrom = "website@shop.test";
                s.smtp = scriptgen::SmtpServer{"LocalHost", 25, scriptgen::SmtpServer::Security::None, "ada", "pw"};
            },
            {}},
        CheckCase{"MailServerWithoutAnAccount",
            [](ScriptSettings& s) {
                s.mailFrom = "website@shop.test";
                s.smtp = scriptgen::SmtpServer{"::1", 65535, scriptgen::SmtpServer::Security::None, "", ""};
            },
            {}},
        CheckCase{"MailServerThatCannotWork",
            [](ScriptSettings& s) {
                s.smtp =
                    scriptgen::SmtpServer{"smtp://mail.shop.test", 0, scriptgen::SmtpServer::Security::None, "ada", ""};
            },
            {{Setting::MailServer,
                 "Mail Server: \"smtp://mail.shop.test\" is not the name of a server: type only its name, such as "
                 "smtp.example.com, without smtp:// or a port."},
                {Setting::MailServer,
                    "Mail Server: the port 0 does not exist: type one from 1 to 65535, usually 587 (STARTTLS) or 465 "
                    "(TLS)."},
                {Setting::MailFrom,
                    "Mail Server: mail through an SMTP server needs the site's own From address: type the address "
                    "your mail account may send as, such as webmaster@example.org."},
                {Setting::MailServer,
                    "Mail Server: without encryption the password would cross the network to "
                    "\"smtp://mail.shop.test\" as plain text: choose STARTTLS or TLS, or clear the user name if the "
                    "server needs none."},
                {Setting::MailServer,
                    "Mail Server: the password of the mail account is empty (settings files never keep it): type it "
                    "again."}}},
        CheckCase{"MailServerWithoutItsName",
            [](ScriptSettings& s) {
                s.mailFrom = "Website <website@shop.test>";
                s.smtp = scriptgen::SmtpServer{"", 65536, scriptgen::SmtpServer::Security::StartTls, "", ""};
            },
            {{Setting::MailFrom,
                 "Mail Server: the From address \"Website <website@shop.test>\" is not one e-mail address: type the "
                 "address the site sends as, such as webmaster@example.org, or leave it empty."},
                {Setting::MailServer,
                    "Mail Server: the SMTP server has no name: type it, such as smtp.example.com, or choose PHP's "
                    "mail()."},
                {Setting::MailServer,
                    "Mail Server: the port 65536 does not exist: type one from 1 to 65535, usually 587 (STARTTLS) or "
                    "465 (TLS)."}}},
        CheckCase{"FromAddressOfPhpMailIsChecked", [](ScriptSettings& s) { s.mailFrom = "website@"; },
            {{Setting::MailFrom,
                "Mail Server: the From address \"website@\" is not one e-mail address: type the address the site "
                "sends as, such as webmaster@example.org, or leave it empty."}}},
        CheckCase{"MailServerHostsAsTyped",
            [](ScriptSettings& s) {
                s.mailFrom = "website@shop.test";
                s.smtp =
                    scriptgen::SmtpServer{"mail .shop.test", 587, scriptgen::SmtpServer::Security::StartTls, "", ""};
                s.sendMail = true;
            },
            {{Setting::MailServer,
                "Mail Server: \"mail .shop.test\" is not the name of a server: type only its name, such as "
                "smtp.example.com, without smtp:// or a port."}}},
        CheckCase{"FieldRulesNoBrowserOrPhpCouldFollow",
            [](ScriptSettings& s) {
                const auto rule = [](const std::string& field, const std::function<void(scriptgen::FieldRule&)>& set) {
                    scriptgen::FieldRule r;
                    r.field = field;
                    set(r);
                    return r;
                };
                s.fieldRules = {
                    rule("name",
                        [](scriptgen::FieldRule& r) {
                            r.pattern = "[\\w--\\d]+";
                            r.minLength = "5";
                            r.maxLength = "4";
                        }),
                    rule("email",
                        [](scriptgen::FieldRule& r) {
                            r.pattern = "[a-z(]";
                            r.minLength = "1.5";
                            r.maxLength = "-2";
                        }),
                    rule("first name",
                        [](scriptgen::FieldRule& r) {
                            r.type = "number";
                            r.pattern = "a{2,1}";
                            r.min = "1e1";
                            r.max = "9.5";
                        }),
                    // Rules of fields the list no longer holds are not looked at.
                    rule("gone", [](scriptgen::FieldRule& r) { r.pattern = "["; }),
                };
            },
            {{Setting::FieldRules,
                 "Field Rules, \"name\": the pattern \"[\\w--\\d]+\" uses set notation (&&, --, nested [ ] or "
                 "\\q{}), which PHP cannot check: write it without."},
                {Setting::FieldRules,
                    "Field Rules, \"name\": the least allowed, \"5\", lies above the most allowed, \"4\", so nothing "
                    "could be sent: swap them."},
                {Setting::FieldRules,
                    "Field Rules, \"email\": the pattern \"[a-z(]\" has ( ) { } / | or a - at the edge inside [ ] "
                    "unescaped, so browsers ignore it: put a \\ before the character."},
                {Setting::FieldRules,
                    "Field Rules, \"email\": the length \"1.5\" is not a whole number: type one, such as 100, or "
                    "clear it."},
                {Setting::FieldRules,
                    "Field Rules, \"email\": the length \"-2\" is not a whole number: type one, such as 100, or "
                    "clear it."},
                {Setting::FieldRules,
                    "Field Rules, \"first name\": the pattern is not a regular expression PHP can read (numbers out "
                    "of order in {} quantifier): correct it, or clear it."},
                {Setting::FieldRules,
                    "Field Rules, \"first name\": the least allowed, \"1e1\", lies above the most allowed, \"9.5\", "
                    "so nothing could be sent: swap them."}}},
        CheckCase{"FieldRulesAtTheirEdges",
            [](ScriptSettings& s) {
                scriptgen::FieldRule name;
                name.field = "name";
                name.pattern = "[a\\-z\\(\\)]+|\\u{1F600}\\p{L}";
                name.minLength = name.maxLength = "4";
                scriptgen::FieldRule date;
                date.field = "email";
                date.type = "date";
                date.min = date.max = "2024-02-29";
                scriptgen::FieldRule number;
                number.field = "first name";
                number.type = "number";
                number.min = "-10";
                number.max = "-9.5";
                s.fieldRules = {name, date, number};
            },
            {}},
        // A file field needs a whole folder path; its limits count from 1.
        CheckCase{"FileFields",
            [](ScriptSettings& s) {
                scriptgen::FieldRule cv;
                cv.field = "name";
                cv.type = "file";
                cv.maxBytes = "0";
                cv.maxFiles = "1";
                s.fieldRules = {cv};
                s.uploadFolder = "my/uploads";
            },
            {{Setting::FieldRules,
                 "Field Rules, \"name\": the limit \"0\" is not a whole number from 1: type one, such as 5, or clear "
                 "it for the default."},
                {Setting::UploadFolder,
                    "Upload folder \"my/uploads\" is not a full path, so the script could not tell where it starts: "
                    "type the whole path on your server, such as /home/site/uploads."}}},
        CheckCase{"FileFieldsWithoutAFolder",
            [](ScriptSettings& s) {
                scriptgen::FieldRule cv;
                cv.field = "email";
                cv.type = "file";
                cv.maxBytes = "10485760";
                s.fieldRules = {cv};
            },
            {{Setting::UploadFolder,
                "Upload folder is empty, but the form sends files: type the folder on your server that keeps them, "
                "such as /home/site/uploads, outside the site's web folder."}}}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

// A field whose rule allows more than the column the same settings create
// for it is a warning, with both lengths; the compile goes on.
TEST(SafeWarningTest, RuleLongerThanItsColumn)
{
    const auto rule = [](const char* field, const char* type, const char* most) {
        scriptgen::FieldRule r;
        r.field = field;
        r.type = type;
        r.maxLength = most;
        return r;
    };
    const struct {
        const char* name;
        std::vector<scriptgen::FieldRule> rules;
        std::string insertTable;
        std::size_t holds, allowed; // of the warning; 0, 0 for none
        std::vector<std::string> created = {}; // the new table's fields; empty: the usual
    } cases[] = {
        {"a column named after the field is sized for it", {rule("email", "", "500")}, "people", 0, 0},
        {"another field's column holds 225", {rule("name", "", "226")}, "people", 225, 226},
        {"225 fit", {rule("name", "", "225")}, "people", 0, 0},
        {"a text area without a longest length", {rule("name", "textarea", "")}, "people", 225, 0},
        {"the column is sized for its own field", {rule("name", "", "300"), rule("email", "", "300")}, "people", 0, 0},
        {"an insert into a table the settings do not create", {rule("name", "", "500")}, "others", 0, 0},
        {"a column the new table lacks", {rule("name", "", "500")}, "people", 0, 0, {"name"}},
        {"a file field's files", {rule("name", "file", "")}, "people", 225, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptSettings s = Sound();
        // The column "email" takes the field "name"; the table field "name"
        // has no value.
        s.insertFields = {"email", "name"};
        s.insertValues = {"$name"};
        s.insertTable = c.insertTable;
        s.fieldRules = c.rules;
        s.uploadFolder = "/srv/uploads";
        if (!c.created.empty())
            s.createTableFields = c.created;
        const std::vector<scriptgen::Problem> warnings = scriptgen::WarnSafeScript(s);
        ASSERT_EQ(warnings.size(), c.holds > 0 ? 1u : 0u);
        if (c.holds > 0) {
            EXPECT_EQ(warnings[0].count, c.holds);
            EXPECT_EQ(warnings[0].allowed, c.allowed);
            EXPECT_EQ(warnings[0].text, "name");
            EXPECT_EQ(warnings[0].detail, "email");
        }
        EXPECT_EQ(zestrel::NotesAfterCompile(s).size(), warnings.size() + (s.ownerPassword.empty() ? 0 : 1));
        EXPECT_EQ(scriptgen::CheckSafeScript(s), scriptgen::CheckSafeScript(Sound())) << "only a warning";
    }
}

// The classic script says what it cannot do: reach the database of current
// PHP, or take the form's files.
TEST(ClassicNotesTest, NameWhatTheSafeScriptWouldDo)
{
    ScriptSettings s;
    s.fieldList = {"name", "cv"};
    scriptgen::FieldRule cv;
    cv.field = "cv";
    cv.type = "file";
    s.fieldRules = {cv};
    EXPECT_EQ(zestrel::NotesAfterCompile(s).size(), 1u);
    s.useDatabase = true;
    EXPECT_EQ(zestrel::NotesAfterCompile(s).size(), 2u);
    s.fieldList = {"name"};
    EXPECT_EQ(zestrel::NotesAfterCompile(s).size(), 1u);
}

// What the mail server's Host box takes: a machine's name or its address,
// nothing that would make a wrong address for PHP's socket.
TEST(SafeMailServerTest, TakesNamesAndAddressesOnly)
{
    const std::string label = "a" + std::string(61, 'b') + "c.";
    const struct {
        std::string host;
        bool taken;
    } cases[] = {
        {"smtp.gmail.com", true},
        {"SMTP-1.Shop.Test", true},
        {"localhost", true},
        {"127.0.0.1", true},
        {"::1", true},
        {"2001:db8::25", true},
        {label + label + label + label.substr(0, 60) + "z", true}, // 253 characters
        {label + label + label + label.substr(0, 61) + "z", false},
        {"smtp.shop.test.", false},
        {".shop.test", false},
        {"smtp..shop.test", false},
        {"[::1]", false},
        {"smtp.shop.test:587", false},
        {"mail server", false},
        {"smtp://shop.test", false},
        {"mail_host", false},
        {"m\xc3\xa4il.shop.test", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        ScriptSettings s = Sound();
        s.mailFrom = "website@shop.test";
        s.smtp = scriptgen::SmtpServer{c.host, 587, scriptgen::SmtpServer::Security::StartTls, "", ""};
        const std::vector<scriptgen::Problem> problems = scriptgen::CheckSafeScript(s);
        EXPECT_EQ(problems.empty(), c.taken) << (problems.empty() ? "" : zestrel::Describe(problems[0]).toStdString());
    }
}

// The forms people type into the Host box for MySQL, what mysqli gets, and
// what the user is told when the text names no server.
TEST(SafeHostTest, ReadsWhatPeopleTypeForMySql)
{
    struct HostCase {
        std::string typed, host;
        std::optional<unsigned> port;
        std::string socket;
        std::string problem; // the sentence shown; empty when the host is sound
    };
    const HostCase cases[] = {
        {"localhost", "localhost", std::nullopt, "", ""},
        {"db.example.org:3307", "db.example.org", 3307, "", ""},
        {"localhost:3307", "127.0.0.1", 3307, "", ""},
        {"db:1", "db", 1, "", ""},
        {"db:65535", "db", 65535, "", ""},
        {"localhost:/run/mysqld/mysqld.sock", "localhost", std::nullopt, "/run/mysqld/mysqld.sock", ""},
        {"[::1]:3307", "[::1]", 3307, "", ""},
        {"[::1]", "[::1]", std::nullopt, "", ""},
        {"::1", "[::1]", std::nullopt, "", ""},
        {"", "", std::nullopt, "", "Host is empty: type the name of the MySQL server, such as localhost."},
        {"db:0", "", std::nullopt, "", "Host \"db:0\": the port after \":\" must be a number from 1 to 65535."},
        {"db:65536", "", std::nullopt, "", "Host \"db:65536\": the port after \":\" must be a number from 1 to 65535."},
        {":3306", "", std::nullopt, "",
            "Host \":3306\" names no server before the \":\": type it first, such as localhost:3306."},
        {"db.example.org:/tmp/mysql.sock", "", std::nullopt, "",
            "Host \"db.example.org:/tmp/mysql.sock\": a socket path can follow localhost only, as in "
            "localhost:/tmp/mysql.sock."},
        {"[::1", "", std::nullopt, "",
            "Host \"[::1\" opens an IPv6 address with \"[\" but does not close it with \"]\": add it, as in "
            "[::1]:3307."},
        {"[::1]x", "", std::nullopt, "",
            "Host \"[::1]x\" has text after the IPv6 address: only \":\" and a port may follow."},
        {"my host", "", std::nullopt, "",
            "Host \"my host\" holds a blank: type the server's name alone, such as localhost."},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.typed);
        ScriptSettings settings = Sound();
        settings.host = c.typed;
        std::string shown;
        for (const scriptgen::Problem& problem : scriptgen::CheckSafeScript(settings))
            shown += problem.setting == Setting::Host ? zestrel::Describe(problem).toStdString() : "";
        EXPECT_EQ(shown, c.problem);
        if (!c.problem.empty())
            continue;
        const scriptgen::safe::Endpoint endpoint = scriptgen::safe::ParseHost(c.typed);
        EXPECT_EQ(endpoint.host, c.host);
        EXPECT_EQ(endpoint.port, c.port);
        EXPECT_EQ(endpoint.socket, c.socket);
    }
}

} // namespace
