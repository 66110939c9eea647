// Generated scripts run the way a web server runs them: php-cgi gets the
// posted form as a request body, the legacy mysql_* calls reach a private
// MariaDB server through the test bridge, and mail goes to a capture file.
// What the visitor sees (the response), what the site owner gets (the mail)
// and what the database holds are checked separately.
//
// The steps share one database and build on each other (the table made in
// the first step is filled, read and finally dropped), so they run in order
// inside one test.
#include "serverfixture.h"
#include "support.h"

#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using e2e::Form;
using Response = e2e::CgiResponse;
using e2e::Table;
using scriptgen::Lines;
using scriptgen::ScriptSettings;

struct Mail {
    std::map<std::string, std::string> headers;
    std::string body;
};

// One message as PHP hands it to the mail transport: header lines ending in
// CR LF, an empty line, the body, and a final CR LF that PHP adds.
Mail ParseMail(const std::string& message)
{
    Mail mail;
    const std::size_t end = message.find("\r\n\r\n");
    std::istringstream headers(message.substr(0, end));
    for (std::string line; std::getline(headers, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            mail.headers[line.substr(0, colon)] = line.substr(colon + 1);
    }
    if (end != std::string::npos)
        mail.body = message.substr(end + 4);
    if (mail.body.ends_with("\r\n"))
        mail.body.resize(mail.body.size() - 2);
    return mail;
}

// The rows of the HTML tables that the display sections print, each row the
// texts of its cells in order. Line breaks between the tags are the script's
// own and are ignored.
Table HtmlRows(const std::string& html)
{
    Table rows;
    std::size_t at = 0;
    while ((at = html.find("<tr>", at)) != std::string::npos) {
        const std::size_t end = html.find("</tr>", at);
        if (end == std::string::npos)
            break;
        std::vector<std::string> cells;
        std::size_t cell = at;
        while ((cell = html.find("<td>", cell)) != std::string::npos && cell < end) {
            const std::size_t close = html.find("</td>", cell);
            cells.push_back(html.substr(cell + 4, close - cell - 4));
            cell = close;
        }
        rows.push_back(cells);
        at = end;
    }
    return rows;
}

std::string Redirect(const std::string& page)
{
    return "<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=" + page + "'></HEAD></HTML>";
}

const std::string kSuccessPage = "thanks.html";
const std::string kFailurePage = "sorry.html";

struct Visitor {
    std::string name, email, city;
};

const Visitor kAda{"Ada Lovelace", "ada@example.org", "London"};
const Visitor kGrace{"Grace Hopper", "grace+forms@example.org", "London"};

class VisitorJourney : public ServerFixture {
protected:
    // Compiles the settings, saves the script and posts the form to it.
    // `sendmail` is the mail transport command.
    Response Post(const ScriptSettings& settings, const Form& form, const std::string& sendmail)
    {
        e2e::CgiRequest request;
        request.body = e2e::EncodeForm(form);
        request.ini = {std::string("auto_prepend_file=") + ZESTREL_MYSQL_BRIDGE, "sendmail_path=\"" + sendmail + "\""};
        return e2e::RunCgi(ZESTREL_PHP_CGI, SaveScript(settings), request);
    }

    // A transport that appends each message to `file`.
    static std::string CaptureTo(const std::filesystem::path& file) { return "cat >> '" + file.string() + "'"; }

    // A transport that takes the message and then reports failure.
    static std::string FailingTransport() { return "cat > /dev/null; exit 1"; }
};

// Connection, mail and insert: what a feedback form posts to.
ScriptSettings FeedbackScript(ScriptSettings s)
{
    s.fieldList = {"name", "email", "city"};
    s.sendMail = true;
    s.recipient = "owner@example.com";
    s.subject = "New visitor";
    s.sender = "$email";
    s.mailVariables = {{"$name", true}, {"$email", true}, {"$city", false}};
    s.successPage = kSuccessPage;
    s.failurePage = kFailurePage;
    s.insertRecord = true;
    s.insertTable = "visitors";
    s.insertFields = {"name", "email", "city"};
    s.insertValues = {"$name", "$email", "$city"};
    return s;
}

Form PostedBy(const Visitor& v)
{
    return {{"name", v.name}, {"email", v.email}, {"city", v.city}};
}

TEST_F(VisitorJourney, ScriptsWorkAgainstRealServerInOrder)
{
    const std::string noMail = CaptureTo(File("unexpected-mail.txt"));
    const std::string db = server_.database;

    {
        SCOPED_TRACE("step 1: create the table");
        ScriptSettings s = Connected();
        s.createTable = true;
        s.createTableName = "visitors";
        s.createTableFields = {"name", "", "email", "city"};
        const Response r = Post(s, {}, noMail);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.errors, "");
        EXPECT_EQ(r.body, "Table created successfully.<br>");
        EXPECT_EQ(Query("SELECT COLUMN_NAME, COLUMN_TYPE, EXTRA FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                        "DATABASE() AND TABLE_NAME = 'visitors' ORDER BY ORDINAL_POSITION"),
            (Table{{"name", "varchar(225)", ""}, {"email", "varchar(225)", ""}, {"city", "varchar(225)", ""},
                {"id", "int(11)", "auto_increment"}}));
    }
    if (HasFailure())
        return;

    {
        SCOPED_TRACE("step 2: two visitors post the feedback form");
        const ScriptSettings s = FeedbackScript(Connected());
        for (const Visitor& v : {kAda, kGrace}) {
            SCOPED_TRACE(v.name);
            const auto mailFile = File("mail-" + v.city + "-" + v.email + ".txt");
            const Response r = Post(s, PostedBy(v), CaptureTo(mailFile));
            EXPECT_EQ(r.exitCode, 0);
            EXPECT_EQ(r.errors, "");
            EXPECT_EQ(r.body, Redirect(kSuccessPage));

            const std::string captured = e2e::ReadFile(mailFile);
            EXPECT_EQ(captured.find("To: ", 1), std::string::npos) << "one message per post:\n" << captured;
            Mail mail = ParseMail(captured);
            EXPECT_EQ(mail.headers["To"], " owner@example.com") << captured;
            EXPECT_EQ(mail.headers["Subject"], " New visitor") << captured;
            EXPECT_EQ(mail.headers["From"], v.email) << captured;
            EXPECT_EQ(mail.headers["Reply-to"], v.email) << captured;
            // Labels as written, then the posted values; the unticked city stays out.
            EXPECT_EQ(mail.body, "$name: " + v.name + "\n$email: " + v.email + "\n") << captured;
        }
        // The id column numbers the rows in the order they came in.
        EXPECT_EQ(Query("SELECT id, name, email, city FROM visitors ORDER BY id"),
            (Table{{"1", kAda.name, kAda.email, kAda.city}, {"2", kGrace.name, kGrace.email, kGrace.city}}));
    }

    {
        SCOPED_TRACE("step 3: the mail transport fails");
        ScriptSettings s = FeedbackScript(ScriptSettings{});
        s.insertRecord = false;
        const Response r = Post(s, PostedBy(kAda), FailingTransport());
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.body, Redirect(kFailurePage));
    }

    ScriptSettings displayAll = Connected();
    displayAll.displayAll = true;
    displayAll.displayAllTable = "visitors";
    displayAll.displayAllFields = {"name", "", "email", "city"};
    {
        SCOPED_TRACE("step 4: display all records");
        const Response r = Post(displayAll, {}, noMail);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.errors, "");
        EXPECT_TRUE(r.body.starts_with("<table border='1'>")) << r.body;
        EXPECT_TRUE(r.body.ends_with("</table>")) << r.body;
        EXPECT_EQ(r.body.find("<th"), std::string::npos) << r.body;
        // Values only, one row per record, in the order they were stored.
        EXPECT_EQ(
            HtmlRows(r.body), (Table{{kAda.name, kAda.email, kAda.city}, {kGrace.name, kGrace.email, kGrace.city}}))
            << r.body;
    }

    {
        SCOPED_TRACE("step 5: display specific records with a quoted where value");
        ScriptSettings byName = Connected();
        byName.fieldList = {"name"};
        byName.displaySpecific = true;
        byName.displaySpecificTable = "visitors";
        byName.whereField = "name";
        byName.whereValue = "'$name'";
        byName.displaySpecificFields = {"email", "city"};
        const Response r = Post(byName, {{"name", kGrace.name}}, noMail);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.errors, "");
        EXPECT_EQ(HtmlRows(r.body), (Table{{kGrace.email, kGrace.city}})) << r.body;

        // Both visitors live in London: only the first match is shown.
        ScriptSettings byCity = byName;
        byCity.fieldList = {"city"};
        byCity.whereField = "city";
        byCity.whereValue = "'$city'";
        byCity.displaySpecificFields = {"name", "email"};
        const Response first = Post(byCity, {{"city", "London"}}, noMail);
        EXPECT_EQ(first.exitCode, 0);
        EXPECT_EQ(first.errors, "");
        EXPECT_EQ(HtmlRows(first.body), (Table{{kAda.name, kAda.email}})) << first.body;
    }

    {
        SCOPED_TRACE("step 6: insert into a missing table");
        ScriptSettings s = Connected();
        s.fieldList = {"name"};
        s.insertRecord = true;
        s.insertTable = "missing_table";
        s.insertFields = {"name"};
        s.insertValues = {"$name"};
        const Response r = Post(s, {{"name", "Nobody"}}, noMail);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.body, "Insert Error: Table '" + db + ".missing_table' doesn't exist");
        EXPECT_EQ(Query("SELECT COUNT(*) FROM visitors"), (Table{{"2"}}));
    }

    {
        SCOPED_TRACE("step 7: drop the table, then display all");
        ScriptSettings s = Connected();
        s.dropTable = true;
        s.dropTableName = "visitors";
        const Response dropped = Post(s, {}, noMail);
        EXPECT_EQ(dropped.exitCode, 0);
        EXPECT_EQ(dropped.errors, "");
        EXPECT_EQ(dropped.body, "Table deleted successfully.<br>");
        EXPECT_EQ(Query("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                        "TABLE_NAME = 'visitors'"),
            (Table{{"0"}}));

        const Response r = Post(displayAll, {}, noMail);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.body, "<table border='1'>SELECT Error: Table '" + db + ".visitors' doesn't exist");
    }

    EXPECT_FALSE(std::filesystem::exists(File("unexpected-mail.txt"))) << "a script without mail sent one";
}

} // namespace
