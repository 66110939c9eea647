// The two worked examples of a whole script, compared line for line. Each
// expected line carries its length in characters, so a stray or missing
// blank shows up as a length mismatch as well as a text mismatch.
#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

struct ExpectedLine {
    std::string text;
    std::size_t length;
};

void ExpectScript(const scriptgen::Lines& actual, const std::vector<ExpectedLine>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        EXPECT_EQ(expected[i].text.size(), expected[i].length) << "expected data is inconsistent";
        EXPECT_EQ(actual[i], expected[i].text);
    }
}

TEST(CompileScriptExamples, FrameAloneSkipsEmptyFieldLines)
{
    scriptgen::ScriptSettings settings;
    settings.fieldList = {"name", "", "email"};
    ExpectScript(scriptgen::CompileScript(settings),
        {
            {"<?php", 5},
            {"", 0},
            {"$name = $_POST['name'];", 23},
            {"$email = $_POST['email'];", 25},
            {"", 0},
            {"", 0},
            {"?>", 2},
        });
}

scriptgen::ScriptSettings AllSectionsSettings()
{
    scriptgen::ScriptSettings s;
    s.fieldList = {"name", "email"};
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = s.dropTable = true;
    s.host = "dbhost";
    s.userName = "webuser";
    s.database = "shop";
    s.recipient = "$email";
    s.subject = "Feedback";
    s.sender = "$email";
    s.mailVariables = {{"$name", true}, {"$email", true}};
    s.successPage = "thanks.html";
    s.failurePage = "error.html";
    s.insertTable = "people";
    s.insertFields = {"name", "email"};
    s.insertValues = {"$name", "$email"};
    s.displayAllTable = "people";
    s.displayAllFields = {"name", "email"};
    s.displaySpecificTable = "people";
    s.whereField = "name";
    s.whereValue = "$name";
    s.displaySpecificFields = {"email"};
    s.createTableName = "people";
    s.createTableFields = {"name", "email"};
    s.dropTableName = "oldpeople";
    return s;
}

TEST(CompileScriptExamples, AllSevenSections)
{
    ExpectScript(scriptgen::CompileScript(AllSectionsSettings()),
        {
            {"<?php", 5},
            {"", 0},
            {"$name = $_POST['name'];", 23},
            {"$email = $_POST['email'];", 25},
            {"", 0},
            {R"(mysql_connect("dbhost", "webuser", "") or die(mysql_error());)", 61},
            {R"(mysql_select_db("shop") or die(mysql_error());)", 46},
            {" ", 1},
            {R"(if(mail($email,'Feedback',"\$name: $name\n\$email: $email\n","From:$email\r\nReply-to:$email")))", 95},
            {R"(echo "<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=thanks.html'></HEAD></HTML>";)", 82},
            {"else", 4},
            {R"(echo "<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=error.html'></HEAD></HTML>";)", 81},
            {" ", 1},
            {R"php(mysql_query("INSERT INTO people (name, email) VALUES ('$name', '$email')")or die("Insert Error: ".mysql_error());)php",
                113},
            {" ", 1},
            {R"(echo "<table border='1'>";)", 26},
            {R"($result = mysql_query( "SELECT * FROM people" ) or die("SELECT Error: ".mysql_error());)", 87},
            {"while($row = mysql_fetch_array( $result )) {", 44},
            {"$name = $row['name'];", 21},
            {"$email = $row['email'];", 23},
            {R"(echo "<tr>)", 10},
            {"<td>$name</td>", 14},
            {"<td>$email</td>", 15},
            {R"(</tr>";})", 8},
            {R"(echo "</table>";)", 16},
            {" ", 1},
            {R"(echo "<table border='1'><tr>";)", 30},
            {R"($result = mysql_query( "SELECT * FROM people WHERE name=$name" ) or die("SELECT Error: ".mysql_error());)",
                104},
            {"$row = mysql_fetch_array( $result );", 36},
            {"$email = $row['email'];", 23},
            {R"(echo ")", 6},
            {"<td>$email</td>", 15},
            {R"(";)", 2},
            {R"(echo "</tr></table>";)", 21},
            {" ", 1},
            {R"($create_query = "CREATE TABLE people ()", 38},
            {"name VARCHAR(225),", 18},
            {"email VARCHAR(225),", 19},
            {R"php(id INT AUTO_INCREMENT, UNIQUE (id) )";)php", 38},
            {"", 0},
            {"if( mysql_query( $create_query ) )", 34},
            {R"(echo( "Table created successfully.<br>" );)", 42},
            {"else", 4},
            {R"(die( "Error! Could not create table: " . mysql_error() );)", 57},
            {"", 0},
            {R"($drop_query = "DROP TABLE oldpeople";)", 37},
            {"", 0},
            {"if( mysql_query( $drop_query ) )", 32},
            {R"(echo( "Table deleted successfully.<br>" );)", 42},
            {"else", 4},
            {R"(die( "Error! Could not delete table: " . mysql_error() );)", 57},
            {"", 0},
            {"", 0},
            {"?>", 2},
        });
}

TEST(CompileScriptExamples, CompilingTwiceGivesTheSameScriptOnce)
{
    const scriptgen::ScriptSettings settings = AllSectionsSettings();
    const scriptgen::Lines first = scriptgen::CompileScript(settings);
    EXPECT_EQ(scriptgen::CompileScript(settings), first);
    EXPECT_EQ(first.size(), 54u);
}

} // namespace
