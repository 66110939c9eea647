// Safe scripts run the way a web server runs them: php-cgi, the real mysqli
// against the private MariaDB server (no bridge), mail to a capture file.
// Visitors post what visitors post, hostile texts included; what they see,
// what the site owner gets by mail and what the database holds are checked
// each on its own.
#include "serverfixture.h"
#include "support.h"

#include "scriptgen/compiler.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/utf8.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using e2e::Form;
using e2e::Table;
using scriptgen::ScriptSettings;

using e2e::Hex;

struct Mail {
    std::map<std::string, std::string> headers;
    std::string body;
};

// The captured mail, decoded by PHP's own iconv and quoted-printable functions.
Mail ReadMail(const std::string& message)
{
    const e2e::ProcessResult decoded = e2e::Run({ZESTREL_PHP, ZESTREL_READ_MAIL}, {e2e::PathEntry()}, message);
    if (decoded.exitCode != 0 || !decoded.err.empty())
        throw std::runtime_error("cannot decode the mail: " + decoded.err + "\n" + message);
    Mail mail;
    std::size_t at = 0;
    for (std::size_t end; (end = decoded.out.find('\n', at)) != at; at = end + 1) {
        const std::string line = decoded.out.substr(at, end - at);
        const std::size_t colon = line.find(": ");
        mail.headers[line.substr(0, colon)] = line.substr(colon + 2);
    }
    mail.body = decoded.out.substr(at + 1);
    return mail;
}

struct Response {
    int status = 0;
    std::map<std::string, std::string> headers;
    std::string body;
    std::string log; // PHP's messages and the script's error log
};

// What a browser on the site's own page sends along with a post.
const std::vector<std::string> kSameSite = {
    "HTTP_HOST=shop.test", "HTTP_ORIGIN=https://shop.test", "HTTP_SEC_FETCH_SITE=same-origin"};

class SafeScripts : public ServerFixture {
protected:
    scriptgen::ScriptSettings Connected() const { return ServerFixture::Connected(scriptgen::Target::Safe); }

    // Sends one request to the compiled script; mail goes to `mailFile`, or
    // to a transport that fails when there is none.
    Response Send(const ScriptSettings& settings, const std::string& method, const Form& form,
        const std::vector<std::string>& env, const std::filesystem::path& mailFile = {})
    {
        e2e::CgiRequest request;
        request.method = method;
        request.body = e2e::EncodeForm(form);
        request.env = env;
        request.ini = {mailFile.empty() ? "sendmail_path=\"cat > /dev/null; exit 1\""
                                        : "sendmail_path=\"cat > '" + mailFile.string() + "'\""};
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, SaveScript(settings), request);
        EXPECT_EQ(run.exitCode, 0) << run.errors;

        Response response;
        response.body = run.body;
        response.log = run.errors;
        std::istringstream lines(run.headers);
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t colon = line.find(':');
            if (colon != std::string::npos)
                response.headers[line.substr(0, colon)] = line.substr(colon + 2);
        }
        const auto status = response.headers.find("Status");
        response.status = status == response.headers.end() ? 200 : std::stoi(status->second);
        return response;
    }

    Response Post(const ScriptSettings& settings, const Form& form, const std::filesystem::path& mailFile = {})
    {
        return Send(settings, "POST", form, kSameSite, mailFile);
    }

    Response Get(const ScriptSettings& settings) { return Send(settings, "GET", {}, {"HTTP_HOST=shop.test"}); }

    bool TableExists(const std::string& table) const
    {
        return Query("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                     "TABLE_NAME = '" +
                   table + "'") == Table{{"1"}};
    }
};

const std::vector<std::string> kFields = {"name", "email", "city", "first name", "interests[]"};
const std::string kSubject =
    "Nouveau message \xe2\x80\x94 caf\xc3\xa9 \xe2\x98\x95 from the long contact form of the shop";

// The text as the script passes it on: bytes that are not UTF-8 replaced.
std::string Mended(std::string text)
{
    if (text.starts_with("\xff\xfe"))
        text.replace(0, 2, "\xef\xbf\xbd\xef\xbf\xbd");
    return text;
}

bool IsUtf8(std::string_view text)
{
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();)
        if (!scriptgen::ReadUtf8(text, at, code))
            return false;
    return true;
}

// The posted values by key, a list field's values joined as the script joins them.
std::map<std::string, std::string> Sent(const Form& form)
{
    std::map<std::string, std::string> sent;
    for (const auto& [key, value] : form)
        sent[key] += (sent.count(key) ? ", " : "") + Mended(value);
    return sent;
}

ScriptSettings CreateTable(ScriptSettings s, const std::string& table)
{
    s.createTable = true;
    s.createTableName = table;
    s.createTableFields = {"name", "email", "", "city", "first name", "interests"};
    return s;
}

// The feedback form: every posted field stored as one record and mailed.
ScriptSettings Feedback(ScriptSettings s, const std::string& table)
{
    s.fieldList = kFields;
    s.insertRecord = true;
    s.insertTable = table;
    s.insertFields = {"name", "email", "city", "first name", "interests"};
    s.insertValues = {"$name", "$email", "'$city'", "$first name", "$interests[]"};
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.subject = kSubject;
    s.sender = "$email";
    for (const std::string& field : kFields)
        s.mailVariables.push_back({"$" + field, true});
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    return s;
}

TEST_F(SafeScripts, TablesAreCreatedAndDeletedOnlyByAPost)
{
    const ScriptSettings create = CreateTable(Connected(), "made");
    const Response visit = Get(create);
    EXPECT_EQ(visit.status, 200);
    EXPECT_NE(visit.body.find("<form method=\"post\"><button type=\"submit\">Create the table made</button>"),
        std::string::npos)
        << visit.body;
    EXPECT_FALSE(TableExists("made"));

    const Response created = Post(create, {});
    EXPECT_EQ(created.status, 200);
    EXPECT_EQ(created.log, "");
    EXPECT_NE(created.body.find("<p>The table made is ready.</p>"), std::string::npos) << created.body;
    EXPECT_EQ(Query("SELECT COLUMN_NAME, COLUMN_TYPE, EXTRA, CHARACTER_SET_NAME FROM information_schema.COLUMNS "
                    "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'made' ORDER BY ORDINAL_POSITION"),
        (Table{{"name", "varchar(225)", "", "utf8mb4"}, {"email", "varchar(225)", "", "utf8mb4"},
            {"city", "varchar(225)", "", "utf8mb4"}, {"first name", "varchar(225)", "", "utf8mb4"},
            {"interests", "varchar(225)", "", "utf8mb4"}, {"id", "int(11)", "auto_increment", "NULL"}}));
    EXPECT_EQ(Post(create, {}).status, 200) << "creating a table that exists changes nothing";

    ScriptSettings drop = Connected();
    drop.dropTable = true;
    drop.dropTableName = "made";
    EXPECT_NE(Get(drop).body.find(">Delete the table made</button>"), std::string::npos);
    EXPECT_TRUE(TableExists("made"));
    const Response dropped = Post(drop, {});
    EXPECT_EQ(dropped.status, 200);
    EXPECT_EQ(dropped.log, "");
    EXPECT_NE(dropped.body.find("<p>The table made has been deleted.</p>"), std::string::npos) << dropped.body;
    EXPECT_FALSE(TableExists("made"));
    EXPECT_EQ(Post(drop, {}).status, 200) << "deleting a table that is gone changes nothing";
}

TEST_F(SafeScripts, HostilePostsAreStoredAndMailedExactly)
{
    ASSERT_EQ(Post(CreateTable(Connected(), "guests"), {}).status, 200);
    struct PostCase {
        std::string name;
        Form form;
        std::vector<std::string> env = kSameSite;
        std::string method = "POST";
        int status = 303;
        std::string location = "thanks.html"; // empty: no redirect
        bool stored = true; // a record with the posted values, and a mail
        std::string replyTo; // the mail's Reply-To, empty when it has none
        void (*adjust)(ScriptSettings&) = nullptr; // changes to the feedback form's settings
    };
    const Form ada = {{"name", "Ada Lovelace"}, {"email", "ada@example.org"}, {"city", "London"}, {"first name", "Ada"},
        {"interests[]", "maths"}, {"interests[]", "engines"}};
    const PostCase cases[] = {
        {"plain post", ada, kSameSite, "POST", 303, "thanks.html", true, "ada@example.org"},
        {"quotes and SQL",
            {{"name", "O'Brien"}, {"email", "ob@example.org"}, {"city", "x'); DROP TABLE guests; -- \\"},
                {"first name", "\"Ted\""}},
            kSameSite, "POST", 303, "thanks.html", true, "ob@example.org"},
        {"accents and emoji",
            {{"name", "Zo\xc3\xab \xf0\x9f\x98\x80"}, {"email", "zoe@example.org"},
                {"city",
                    "\xc3\x86r\xc3\xb8sk\xc3\xb8"
                    "bing"},
                {"first name", "\xe6\xbc\xa2\xe5\xad\x97"}},
            kSameSite, "POST", 303, "thanks.html", true, "zoe@example.org"},
        {"script tag", {{"name", "<script>alert(1)</script>"}, {"email", "x@example.org"}}, kSameSite, "POST", 303,
            "thanks.html", true, "x@example.org"},
        {"line breaks into the sender",
            {{"name", "Mallory"}, {"email", "m@example.org\r\nBcc: victim@example.net"}, {"city", "two\r\nlines"}},
            kSameSite, "POST", 303, "thanks.html", true, ""},
        {"bytes that are not UTF-8",
            {{"name",
                 "\xff\xfe"
                 "Ada"},
                {"email", "a@example.org"}},
            kSameSite, "POST", 303, "thanks.html", true, "a@example.org"},
        {"another site's page by Sec-Fetch-Site", ada,
            {"HTTP_HOST=shop.test", "HTTP_ORIGIN=https://shop.test", "HTTP_SEC_FETCH_SITE=cross-site"}, "POST", 403, "",
            false, ""},
        {"another site's page by Origin", ada, {"HTTP_HOST=shop.test", "HTTP_ORIGIN=https://evil.test"}, "POST", 403,
            "", false, ""},
        {"the own site on another port", ada, {"HTTP_HOST=shop.test:8443", "HTTP_ORIGIN=https://shop.test:8443"},
            "POST", 303, "thanks.html", true, "ada@example.org"},
        {"the spam trap filled in", {{"name", "Bot"}, {"zestrel_website", "http://spam.test"}}, kSameSite, "POST", 303,
            "thanks.html", false, ""},
        {"none of the form's fields", {{"comment", "hello"}}, kSameSite, "POST", 303, "sorry.html", false, ""},
        {"a visit instead of a post", {}, {"HTTP_HOST=shop.test"}, "GET", 405, "", false, ""},
        {"unticked fields left out of the mail", ada, kSameSite, "POST", 303, "thanks.html", true, "ada@example.org",
            [](ScriptSettings& s) { s.mailVariables[2].checked = s.mailVariables[4].checked = false; }},
        {"a long subject, each encoded word whole characters", ada, kSameSite, "POST", 303, "thanks.html", true,
            "ada@example.org",
            [](ScriptSettings& s) {
                s.subject = "R\xc3\xa9ponse \xc3\xa0 votre demande n\xc2\xb0 42 : caf\xc3\xa9 cr\xc3\xa8me, "
                            "th\xc3\xa9 glac\xc3\xa9 et cr\xc3\xaapes \xe2\x80\x94 \xe6\xbc\xa2\xe5\xad\x97 "
                            "\xf0\x9f\x98\x80 merci";
            }},
    };
    for (const PostCase& c : cases) {
        SCOPED_TRACE(c.name);
        Query("TRUNCATE TABLE guests");
        const auto mailFile = File("mail.txt");
        std::filesystem::remove(mailFile);
        ScriptSettings settings = Feedback(Connected(), "guests");
        if (c.adjust)
            c.adjust(settings);
        const Response r = Send(settings, c.method, c.form, c.env, mailFile);
        EXPECT_EQ(r.status, c.status) << r.body;
        if (c.location == "sorry.html")
            EXPECT_NE(r.log.find("a post without any of the form's fields"), std::string::npos) << r.log;
        else
            EXPECT_EQ(r.log, "");
        EXPECT_EQ(r.headers.count("Location") ? r.headers.at("Location") : "", c.location);
        if (!c.location.empty()) {
            EXPECT_NE(r.body.find("<a href=\"" + c.location + "\">"), std::string::npos) << r.body;
        }
        if (c.status == 405) {
            EXPECT_EQ(r.headers.at("Allow"), "POST");
        }
        if (!c.stored) {
            EXPECT_EQ(Query("SELECT COUNT(*) FROM guests"), Table{{"0"}});
            EXPECT_FALSE(std::filesystem::exists(mailFile));
            continue;
        }

        std::map<std::string, std::string> sent = Sent(c.form);
        EXPECT_EQ(Query("SELECT HEX(name), HEX(email), HEX(city), HEX(`first name`), HEX(interests) FROM guests"),
            (Table{{Hex(sent["name"]), Hex(sent["email"]), Hex(sent["city"]), Hex(sent["first name"]),
                Hex(sent["interests[]"])}}));

        const std::string message = e2e::ReadFile(mailFile);
        const std::string head = message.substr(0, message.find("\r\n\r\n"));
        // A mail reader may decode each encoded word on its own: none may
        // split a character.
        std::string words;
        for (const std::string& word : e2e::EncodedWords(head)) {
            EXPECT_TRUE(IsUtf8(word)) << e2e::Hex(word) << "\n" << head;
            words += word;
        }
        EXPECT_EQ(words, settings.subject) << head;
        const Mail mail = ReadMail(message);
        EXPECT_EQ(head.find("Bcc"), std::string::npos) << message;
        EXPECT_EQ(mail.headers.at("To"), "owner@shop.test");
        EXPECT_EQ(mail.headers.at("Subject"), settings.subject);
        EXPECT_EQ(mail.headers.count("From"), 0u) << "the mail comes from the server's own address";
        EXPECT_EQ(mail.headers.count("Reply-To") ? mail.headers.at("Reply-To") : "", c.replyTo);
        std::string body;
        for (const scriptgen::MailItem& item : settings.mailVariables)
            if (item.checked)
                body += item.text.substr(1) + ": " + sent[item.text.substr(1)] + "\r\n";
        EXPECT_EQ(mail.body, body) << message;
    }
}

ScriptSettings Guestbook(ScriptSettings s, const std::string& table)
{
    s.fieldList = {"name", "city"};
    s.insertRecord = true;
    s.insertTable = table;
    s.insertFields = {"name", "city"};
    s.insertValues = {"$name", "$city"};
    s.displayAll = true;
    s.displayAllTable = table;
    s.displayAllFields = {"name", "city"};
    return s;
}

TEST_F(SafeScripts, RecordsAreShownEscapedAndRowByRow)
{
    ASSERT_EQ(Post(CreateTable(Connected(), "book"), {}).status, 200);
    const ScriptSettings book = Guestbook(Connected(), "book");
    const Form visitors[] = {{{"name", "Ada"}, {"city", "London"}},
        {{"name", "<script>alert('x')</script>"}, {"city", "Zo\xc3\xab & \xf0\x9f\x98\x80"}},
        {{"name", "Grace"}, {"city", "\"Arlington\""}}, {{"name", ""}, {"city", "Nowhere"}}};
    for (const Form& visitor : visitors) {
        const Response r = Post(book, visitor);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.log, "");
        // Without a mail section the page thanks the visitor and shows the book.
        EXPECT_NE(
            r.body.find("<p>Thank you: your form has been received.</p>\n<table border=\"1\">"), std::string::npos)
            << r.body;
    }
    const std::string table = "<table border=\"1\">\n<tr><th>name</th><th>city</th></tr>\n"
                              "<tr><td>Ada</td><td>London</td></tr>\n"
                              "<tr><td>&lt;script&gt;alert(&#039;x&#039;)&lt;/script&gt;</td>"
                              "<td>Zo\xc3\xab &amp; \xf0\x9f\x98\x80</td></tr>\n"
                              "<tr><td>Grace</td><td>&quot;Arlington&quot;</td></tr>\n"
                              "<tr><td></td><td>Nowhere</td></tr>\n</table>\n";
    const Response shown = Get(book);
    EXPECT_EQ(shown.status, 200);
    EXPECT_EQ(shown.headers.at("Content-Type"), "text/html; charset=UTF-8");
    EXPECT_NE(shown.body.find("<body>\n" + table + "</body></html>\n"), std::string::npos) << shown.body;
    EXPECT_EQ(Query("SELECT COUNT(*) FROM book"), Table{{"4"}}) << "a visit stores nothing";

    ScriptSettings search = Connected();
    search.fieldList = {"who"};
    search.displaySpecific = true;
    search.displaySpecificTable = "book";
    search.whereField = "name";
    search.whereValue = "$who";
    search.displaySpecificFields = {"city", "name"};
    struct SearchCase {
        std::string name;
        std::string method;
        Form form;
        std::vector<std::string> env;
        std::string row; // the record shown, empty when none matches
    };
    const SearchCase searches[] = {
        {"a posted name", "POST", {{"who", "Grace"}}, {}, "<tr><td>&quot;Arlington&quot;</td><td>Grace</td></tr>\n"},
        {"a name no record has", "POST", {{"who", "Nobody"}}, {}, ""},
        {"a posted empty name matches the record without one", "POST", {{"who", ""}}, {},
            "<tr><td>Nowhere</td><td></td></tr>\n"},
        // A visit sends no field, so not even the record without a name matches.
        {"a visit", "GET", {}, {"HTTP_HOST=shop.test"}, ""},
        {"a visit with an empty name in the address", "GET", {}, {"HTTP_HOST=shop.test", "QUERY_STRING=who="}, ""},
    };
    for (const SearchCase& c : searches) {
        SCOPED_TRACE(c.name);
        const Response r = Send(search, c.method, c.form, c.env);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.log, "");
        EXPECT_TRUE(r.body.ends_with("<body>\n<table border=\"1\">\n<tr><th>city</th><th>name</th></tr>\n" + c.row +
            "</table>\n" + (c.row.empty() ? "<p>No record matches.</p>\n" : "") + "</body></html>\n"))
            << r.body;
    }
}

// Without a mail section the page itself says what was done, and ends there;
// a post that fills in the spam trap changes nothing.
TEST_F(SafeScripts, PostsWithoutMailChangeWhatThePageSays)
{
    ScriptSettings insert = Guestbook(Connected(), "visits");
    insert.displayAll = false;
    ScriptSettings emptyCell = insert;
    emptyCell.insertValues = {"$name", ""};
    const ScriptSettings create = CreateTable(Connected(), "made_here");
    ScriptSettings drop = Connected();
    drop.dropTable = true;
    drop.dropTableName = "visits";

    const auto count = [](const std::string& table) {
        return "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '" +
            table + "'";
    };
    const std::string stored = "SELECT name, city IS NULL FROM visits";
    const std::string thanks = "Thank you: your form has been received.";
    const Form ada = {{"name", "Ada"}, {"city", "London"}};
    const Form trap = {{"name", "Bot"}, {"city", "Spam"}, {"zestrel_website", "http://spam.test"}};
    struct PageCase {
        std::string name;
        const ScriptSettings& settings;
        Form form;
        std::string said; // the page's one paragraph
        std::string query; // what the database holds afterwards
        Table after;
    };
    const PageCase cases[] = {
        {"insert only", insert, ada, thanks, stored, {{"Ada", "0"}}},
        {"an empty value cell leaves its column NULL", emptyCell, ada, thanks, stored, {{"Ada", "1"}}},
        {"insert only, the spam trap filled in", insert, trap, thanks, stored, {}},
        {"create only", create, {}, "The table made_here is ready.", count("made_here"), {{"1"}}},
        {"create only, the spam trap filled in", create, trap, "The table made_here is ready.", count("made_here"),
            {{"0"}}},
        {"delete only", drop, {}, "The table visits has been deleted.", count("visits"), {{"0"}}},
        {"delete only, the spam trap filled in", drop, trap, "The table visits has been deleted.", count("visits"),
            {{"1"}}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Query("DROP TABLE IF EXISTS made_here, visits; CREATE TABLE visits (name VARCHAR(225), city VARCHAR(225))");
        const Response r = Post(c.settings, c.form);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.log, "");
        EXPECT_TRUE(r.body.ends_with("<body>\n<p>" + c.said + "</p>\n</body></html>\n")) << r.body;
        EXPECT_EQ(Query(c.query), c.after);
    }
    Query("DROP TABLE IF EXISTS visits");
}

TEST_F(SafeScripts, FailuresReachTheLogNotTheVisitor)
{
    ScriptSettings mailOnly = Feedback(ScriptSettings{}, "");
    mailOnly.target = scriptgen::Target::Safe;
    mailOnly.insertRecord = false;
    const Response noTransport = Post(mailOnly, {{"name", "Ada"}, {"email", "ada@example.org"}});
    EXPECT_EQ(noTransport.status, 303);
    EXPECT_EQ(noTransport.headers.at("Location"), "sorry.html");
    EXPECT_NE(noTransport.log.find("mail() could not hand the message"), std::string::npos) << noTransport.log;

    // A value longer than its column is refused, never cut, also on a server
    // whose own mode would cut it with a warning, as the test server's does.
    ASSERT_EQ(Post(CreateTable(Connected(), "short"), {}).status, 200);
    ScriptSettings shortBook = Guestbook(Connected(), "short");
    shortBook.displayAll = false;
    std::string accents;
    for (int i = 0; i < 225; ++i)
        accents += "\xc3\xa9";
    EXPECT_EQ(Post(shortBook, {{"name", accents}, {"city", "Oslo"}}).status, 200);
    const Response cut = Post(shortBook, {{"name", accents + "x"}, {"city", "Oslo"}});
    EXPECT_EQ(cut.status, 500);
    EXPECT_NE(cut.log.find("Data too long for column 'name'"), std::string::npos) << cut.log;
    EXPECT_EQ(Query("SELECT HEX(name), city FROM short"), (Table{{Hex(accents), "Oslo"}}));

    ScriptSettings missing = Guestbook(Connected(), "no_such_table");
    missing.displayAll = false;
    const Response refused = Post(missing, {{"name", "Ada"}});
    EXPECT_EQ(refused.status, 500);
    EXPECT_NE(refused.body.find("Sorry: this request could not be completed."), std::string::npos) << refused.body;
    EXPECT_EQ(refused.body.find("no_such_table"), std::string::npos) << refused.body;
    EXPECT_NE(refused.log.find("no_such_table' doesn't exist"), std::string::npos) << refused.log;

    const Response unseen = Get(Guestbook(Connected(), "no_such_table"));
    EXPECT_EQ(unseen.status, 500);
    EXPECT_NE(unseen.body.find("Sorry: the records cannot be shown right now."), std::string::npos) << unseen.body;
    EXPECT_NE(unseen.log.find("no_such_table' doesn't exist"), std::string::npos) << unseen.log;

    // A script with the connection alone tells whether it works, over TCP
    // (also with "localhost", which mysqli would take for the socket and so
    // ignore the port) and over the server's socket; the server's reasons
    // stay in the log.
    ScriptSettings socket = Connected();
    socket.host = "localhost:" + server_.socket;
    ScriptSettings localPort = Connected();
    localPort.host = "localhost:" + server_.port;
    for (const ScriptSettings& working : {Connected(), localPort, socket}) {
        const Response r = Get(working);
        EXPECT_EQ(r.status, 200) << working.host << "\n" << r.log;
        EXPECT_NE(r.body.find("<p>The connection to the database works.</p>"), std::string::npos) << r.body;
    }
    ScriptSettings wrong = Connected();
    wrong.password = "not the password";
    const Response denied = Get(wrong);
    EXPECT_EQ(denied.status, 500);
    EXPECT_NE(denied.body.find("Sorry: the database cannot be reached right now."), std::string::npos);
    EXPECT_EQ(denied.body.find("Access denied"), std::string::npos) << denied.body;
    EXPECT_NE(denied.log.find("Access denied"), std::string::npos) << denied.log;
}

// Names and values typed into the window reach MySQL exactly as typed.
TEST_F(SafeScripts, LiteralsReachTheDatabaseExactly)
{
    const std::string table = "t`a'b\\c\"d?>\xc3\xa9";
    const std::vector<std::string> columns = {"c$1", "{$x}", "*/ <?php", "it's"};
    const std::vector<std::string> values = {
        std::string("nul\0byte", 8), "{$_SERVER['PATH']}", "'; DROP TABLE x; --", "\xf0\x9f\x98\x80\\"};
    ScriptSettings s = Connected();
    s.fieldList = {"go"};
    s.createTable = s.insertRecord = true;
    s.createTableName = s.insertTable = table;
    s.createTableFields = s.insertFields = columns;
    s.insertValues = values;
    ASSERT_EQ(scriptgen::CheckSafeScript(s).size(), 0u);
    const Response r = Post(s, {{"go", "1"}});
    EXPECT_EQ(r.status, 200) << r.log;

    std::string quoted = "`";
    for (const char c : table)
        quoted += c == '`' ? std::string("``") : std::string(1, c);
    quoted += "`";
    std::string select = "SELECT ";
    for (const std::string& column : columns)
        select += std::string(column == columns.front() ? "" : ", ") + "HEX(`" + column + "`)";
    std::vector<std::string> hex;
    hex.reserve(values.size());
    for (const std::string& value : values)
        hex.push_back(Hex(value));
    EXPECT_EQ(Query(select + " FROM " + quoted), Table{hex});
    Query("DROP TABLE " + quoted);
}

} // namespace
