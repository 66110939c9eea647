// Edge cases of each section generator, one row per case: the settings that
// differ from empty, the generator to run, and the exact lines it appends.
#include "scriptgen/compiler.h"
#include "scriptgen/sections/sections.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

using scriptgen::Lines;
using scriptgen::ScriptSettings;
using Generator = void (*)(const ScriptSettings&, Lines&);

struct SectionCase {
    std::string name;
    Generator generate;
    std::function<void(ScriptSettings&)> setUp;
    Lines expected;
};

void PrintTo(const SectionCase& c, std::ostream* os)
{
    *os << c.name;
}

class SectionTest : public testing::TestWithParam<SectionCase> {};

TEST_P(SectionTest, AppendsExactLines)
{
    const SectionCase& c = GetParam();
    ScriptSettings settings;
    c.setUp(settings);
    Lines out = {"existing"};
    c.generate(settings, out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), "existing") << "a generator only appends";
    EXPECT_EQ(Lines(out.begin() + 1, out.end()), c.expected);
}

std::string CaseName(const testing::TestParamInfo<SectionCase>& info)
{
    return info.param.name;
}

const Lines kConnectionEmpty = {
    R"(mysql_connect("", "", "") or die(mysql_error());)", R"(mysql_select_db("") or die(mysql_error());)", " "};

INSTANTIATE_TEST_SUITE_P(Connection, SectionTest,
    testing::Values(
        SectionCase{"AllBoxesEmpty", scriptgen::AddConnectionSection, [](ScriptSettings&) {}, kConnectionEmpty},
        SectionCase{"BlanksAndSpecialCharactersPassVerbatim", scriptgen::AddConnectionSection,
            [](ScriptSettings& s) {
                s.host = "  ";
                s.userName = "a\"b";
                s.password = "p$w\\";
                s.database = " db ";
            },
            {R"(mysql_connect("  ", "a"b", "p$w\") or die(mysql_error());)",
                R"(mysql_select_db(" db ") or die(mysql_error());)", " "}}),
    CaseName);

void People(ScriptSettings& s)
{
    s.insertTable = "people";
}

INSTANTIATE_TEST_SUITE_P(Insert, SectionTest,
    testing::Values(
        SectionCase{"NoFieldsNoValues", scriptgen::AddInsertSection, People,
            {R"php(mysql_query("INSERT INTO people () VALUES ()")or die("Insert Error: ".mysql_error());)php", " "}},
        SectionCase{"EmptyTableLeavesTwoSpaces", scriptgen::AddInsertSection,
            [](ScriptSettings& s) {
                s.insertFields = {"name", "email"};
                s.insertValues = {"$name", "$email"};
            },
            {R"php(mysql_query("INSERT INTO  (name, email) VALUES ('$name', '$email')")or die("Insert Error: ".mysql_error());)php",
                " "}},
        SectionCase{"TwoColumnsOneValue", scriptgen::AddInsertSection,
            [](ScriptSettings& s) {
                People(s);
                s.insertFields = {"name", "email"};
                s.insertValues = {"$name", ""};
            },
            {R"php(mysql_query("INSERT INTO people (name, email) VALUES ('$name')")or die("Insert Error: ".mysql_error());)php",
                " "}},
        SectionCase{"EmptyCellsAndLinesLeaveNoGaps", scriptgen::AddInsertSection,
            [](ScriptSettings& s) {
                People(s);
                s.insertFields = {"", "name", "", "email", ""};
                s.insertValues = {"", "$a", "", "$b", ""};
            },
            {R"php(mysql_query("INSERT INTO people (name, email) VALUES ('$a', '$b')")or die("Insert Error: ".mysql_error());)php",
                " "}},
        SectionCase{"BlanksAndQuotesVerbatim", scriptgen::AddInsertSection,
            [](ScriptSettings& s) {
                People(s);
                s.insertFields = {" ", "o'k"};
                s.insertValues = {"it's", " "};
            },
            {R"php(mysql_query("INSERT INTO people ( , o'k) VALUES ('it's', ' ')")or die("Insert Error: ".mysql_error());)php",
                " "}}),
    CaseName);

void MailDefaults(ScriptSettings& s)
{
    s.recipient = "$email";
    s.subject = "Feedback";
    s.sender = "$email";
    s.mailVariables = {{"$name", true}};
}

Lines MailLines(
    const std::string& mailLine, const std::string& success = "thanks.html", const std::string& failure = "error.html")
{
    return {mailLine, "echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=" + success + "'></HEAD></HTML>\";",
        "else", "echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=" + failure + "'></HEAD></HTML>\";", " "};
}

void Pages(ScriptSettings& s)
{
    s.successPage = "thanks.html";
    s.failurePage = "error.html";
}

INSTANTIATE_TEST_SUITE_P(Mail, SectionTest,
    testing::Values(SectionCase{"NoItemTickedGivesEmptyBody", scriptgen::AddMailSection,
                        [](ScriptSettings& s) {
                            MailDefaults(s);
                            Pages(s);
                            s.mailVariables = {{"$name", false}, {"$email", false}};
                        },
                        MailLines(R"(if(mail($email,'Feedback',"","From:$email\r\nReply-to:$email")))")},
        SectionCase{"LiteralSenderStandsUnquotedInHeader", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.sender = "webmaster";
            },
            MailLines(R"(if(mail($email,'Feedback',"\$name: $name\n","From:webmaster\r\nReply-to:webmaster")))")},
        SectionCase{"AllVariables", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.recipient = "$to";
                s.subject = "$subject";
                s.sender = "$from";
            },
            MailLines(R"(if(mail($to,$subject,"\$name: $name\n","From:$from\r\nReply-to:$from")))")},
        SectionCase{"EmptySubjectAndSender", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.subject.clear();
                s.sender.clear();
            },
            MailLines(R"(if(mail($email,'',"\$name: $name\n","From:\r\nReply-to:")))")},
        SectionCase{"OnlyFirstCharacterDecidesQuoting", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.recipient = " $to";
                s.subject = "it's";
                s.mailVariables.clear();
            },
            MailLines(R"(if(mail(' $to','it's',"","From:$email\r\nReply-to:$email")))")},
        SectionCase{"TickedItemsKeepListOrderAndEveryDollarOfTheLabelIsEscaped", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.mailVariables = {{"$a", true}, {"$b", false}, {"$$c", true}, {"$", true}, {"$ city ", true}};
            },
            MailLines(
                R"(if(mail($email,'Feedback',"\$a: $a\n\$\$c: $$c\n\$: $\n\$ city : $ city \n","From:$email\r\nReply-to:$email")))")},
        SectionCase{"DollarsInsideALabelAndLabelsWithoutOne", scriptgen::AddMailSection,
            [](ScriptSettings& s) {
                MailDefaults(s);
                Pages(s);
                s.mailVariables = {{"plain", true}, {"a$b$", true}, {"", true}};
            },
            MailLines(
                R"(if(mail($email,'Feedback',"plain: plain\na\$b\$: a$b$\n: \n","From:$email\r\nReply-to:$email")))")},
        SectionCase{"EmptyPagesAndBoxes", scriptgen::AddMailSection, [](ScriptSettings&) {},
            MailLines(R"(if(mail('','',"","From:\r\nReply-to:")))", "", "")}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(Display, SectionTest,
    testing::Values(
        SectionCase{"AllEmptyFieldListGivesSevenLines", scriptgen::AddDisplayAllSection, [](ScriptSettings&) {},
            {R"(echo "<table border='1'>";)",
                R"($result = mysql_query( "SELECT * FROM " ) or die("SELECT Error: ".mysql_error());)",
                "while($row = mysql_fetch_array( $result )) {", R"(echo "<tr>)", R"(</tr>";})", R"(echo "</table>";)",
                " "}},
        SectionCase{"SpecificAllEmptyGivesSevenLines", scriptgen::AddDisplaySpecificSection, [](ScriptSettings&) {},
            {R"(echo "<table border='1'><tr>";)",
                R"($result = mysql_query( "SELECT * FROM  WHERE =" ) or die("SELECT Error: ".mysql_error());)",
                "$row = mysql_fetch_array( $result );", R"(echo ")", R"(";)", R"(echo "</tr></table>";)", " "}},
        SectionCase{"SpecificDefaultTextsPassVerbatim", scriptgen::AddDisplaySpecificSection,
            [](ScriptSettings& s) {
                s.displaySpecificTable = "t";
                s.whereField = "Enter Field's Name";
                s.whereValue = "Enter / Select Value";
                s.displaySpecificFields = {"", "a", "", " b"};
            },
            {R"(echo "<table border='1'><tr>";)",
                R"($result = mysql_query( "SELECT * FROM t WHERE Enter Field's Name=Enter / Select Value" ) or die("SELECT Error: ".mysql_error());)",
                "$row = mysql_fetch_array( $result );", "$a = $row['a'];", "$ b = $row[' b'];", R"(echo ")",
                "<td>$a</td>", "<td>$ b</td>", R"(";)", R"(echo "</tr></table>";)", " "}},
        SectionCase{"AllSkipsEmptyLinesInBothPasses", scriptgen::AddDisplayAllSection,
            [](ScriptSettings& s) {
                s.displayAllTable = "t";
                s.displayAllFields = {"x", "", "y", ""};
            },
            {R"(echo "<table border='1'>";)",
                R"($result = mysql_query( "SELECT * FROM t" ) or die("SELECT Error: ".mysql_error());)",
                "while($row = mysql_fetch_array( $result )) {", "$x = $row['x'];", "$y = $row['y'];", R"(echo "<tr>)",
                "<td>$x</td>", "<td>$y</td>", R"(</tr>";})", R"(echo "</table>";)", " "}}),
    CaseName);

const Lines kCreateTail = {"", "if( mysql_query( $create_query ) )", R"(echo( "Table created successfully.<br>" );)",
    "else", R"(die( "Error! Could not create table: " . mysql_error() );)", ""};

Lines CreateLines(Lines head)
{
    head.insert(head.end(), kCreateTail.begin(), kCreateTail.end());
    return head;
}

INSTANTIATE_TEST_SUITE_P(Tables, SectionTest,
    testing::Values(
        SectionCase{"CreateWithoutFieldsHasIdColumnOnly", scriptgen::AddCreateTableSection,
            [](ScriptSettings& s) { s.createTableName = "t"; },
            CreateLines({R"($create_query = "CREATE TABLE t ()", R"php(id INT AUTO_INCREMENT, UNIQUE (id) )";)php"})},
        SectionCase{"CreateEmptyNameBlankLineAndEmptyLines", scriptgen::AddCreateTableSection,
            [](ScriptSettings& s) {
                s.createTableFields = {"", "  x", "", "y"};
            },
            CreateLines({R"($create_query = "CREATE TABLE  ()", "  x VARCHAR(225),", "y VARCHAR(225),",
                R"php(id INT AUTO_INCREMENT, UNIQUE (id) )";)php"})},
        SectionCase{"DropEmptyName", scriptgen::AddDropTableSection, [](ScriptSettings&) {},
            {R"($drop_query = "DROP TABLE ";)", "", "if( mysql_query( $drop_query ) )",
                R"(echo( "Table deleted successfully.<br>" );)", "else",
                R"(die( "Error! Could not delete table: " . mysql_error() );)", ""}}),
    CaseName);

struct FrameCase {
    std::string name;
    Lines fields;
    Lines assignments;
};

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.name;
}

class FrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameTest, AssignmentsBetweenTheFrameLines)
{
    scriptgen::ScriptSettings settings;
    settings.fieldList = GetParam().fields;
    Lines expected = {"<?php", ""};
    expected.insert(expected.end(), GetParam().assignments.begin(), GetParam().assignments.end());
    expected.insert(expected.end(), {"", "", "?>"});
    EXPECT_EQ(scriptgen::CompileScript(settings), expected);
}

INSTANTIATE_TEST_SUITE_P(Frame, FrameTest,
    testing::Values(FrameCase{"EmptyListGivesFiveLines", {}, {}}, FrameCase{"OnlyEmptyLines", {"", "", ""}, {}},
        FrameCase{"EmptyLinesAtBothEnds", {"", "a", ""}, {"$a = $_POST['a'];"}},
        FrameCase{"BlanksOnlyIsAName", {"  "}, {"$   = $_POST['  '];"}},
        FrameCase{"BlankInsideName", {"first name"}, {"$first name = $_POST['first name'];"}},
        FrameCase{"NonAsciiKeptByteForByte", {"straße"}, {"$straße = $_POST['straße'];"}}),
    [](const testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

} // namespace
