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

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
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

const std::string kOwnerPassword = "P\xc3\xa4sswort \xe2\x9c\x93 of the owner";

// The headers every answer of a safe script carries.
const std::map<std::string, std::string> kEveryPage = {{"X-Frame-Options", "DENY"},
    {"Content-Security-Policy",
        "default-src 'none'; frame-ancestors 'none'; form-action 'self'; base-uri 'none'; style-src 'sha256-HASH'"},
    {"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "same-origin"}};

// The site's owner, signed in over HTTPS.
std::vector<std::string> Owner(const std::string& password = kOwnerPassword, const std::string& user = "owner")
{
    return {"HTTP_HOST=shop.test", "HTTPS=on", "HTTP_SEC_FETCH_SITE=same-origin",
        "HTTP_AUTHORIZATION=Basic " + e2e::Base64(user + ":" + password)};
}

class SafeScripts : public ServerFixture {
protected:
    scriptgen::ScriptSettings Connected() const
    {
        ScriptSettings s = ServerFixture::Connected(scriptgen::Target::Safe);
        s.ownerPassword = kOwnerPassword;
        return s;
    }

    // What the self-check tests check: a form stored into the table
    // "checked" and mailed.
    scriptgen::ScriptSettings SelfChecked() const
    {
        ScriptSettings s = Connected();
        s.fieldList = {"name", "message"};
        s.insertRecord = true;
        s.insertTable = "checked";
        s.insertFields = {"name", "message"};
        s.insertValues = {"$name", "$message"};
        s.sendMail = true;
        s.recipient = "owner@shop.test";
        s.subject = "Hello";
        s.mailVariables = {{"$name", true}};
        s.successPage = "thanks.html";
        s.failurePage = "sorry.html";
        return s;
    }

    // Sends one request to the compiled script; mail goes to `mailFile`, or
    // to a transport that fails when there is none. Each request comes from
    // an address of its own unless `env` names one, so that the flood limit
    // counts only what a test means it to.
    Response Send(const ScriptSettings& settings, const std::string& method, const Form& form,
        const std::vector<std::string>& env, const std::filesystem::path& mailFile = {},
        std::vector<std::string> ini = {}, bool noIniFiles = false)
    {
        e2e::CgiRequest request;
        request.method = method;
        request.body = e2e::EncodeForm(form);
        request.env = env;
        if (std::none_of(env.begin(), env.end(), [](const std::string& e) { return e.starts_with("REMOTE_ADDR="); })) {
            const unsigned visitor = visitors_++;
            request.env.push_back("REMOTE_ADDR=10." + std::to_string(visitor >> 16 & 255) + "." +
                std::to_string(visitor >> 8 & 255) + "." + std::to_string(visitor & 255));
        }
        request.ini = {mailFile.empty() ? "sendmail_path=\"cat > /dev/null; exit 1\""
                                        : "sendmail_path=\"cat > '" + mailFile.string() + "'\"",
            "sys_temp_dir=" + dir_.path().string()};
        request.ini.insert(request.ini.end(), ini.begin(), ini.end());
        request.noIniFiles = noIniFiles;
        const std::filesystem::path script = Script(settings);
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
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
        // The page that lists a post's problems may run its own script, by
        // its hash, and nothing else.
        for (const auto& [name, value] : kEveryPage) {
            std::string sent = response.headers.count(name) ? response.headers.at(name) : "<none>";
            if (name == "Content-Security-Policy")
                sent = std::regex_replace(sent,
                    std::regex("style-src ('sha256-[A-Za-z0-9+/]{43}='|'self'( 'sha256-[A-Za-z0-9+/]{43}=')*; "
                               "img-src 'self' data:; font-src 'self')"),
                    "style-src 'sha256-HASH'");
            if (response.status == 422 && name == "Content-Security-Policy")
                sent = std::regex_replace(sent, std::regex("; script-src 'sha256-[A-Za-z0-9+/]{43}='$"), "");
            EXPECT_EQ(sent, value) << name << " on a page of status " << response.status;
        }
        return response;
    }

    Response Post(const ScriptSettings& settings, const Form& form, const std::filesystem::path& mailFile = {})
    {
        return Send(settings, "POST", form, kSameSite, mailFile);
    }

    Response Get(const ScriptSettings& settings) { return Send(settings, "GET", {}, {"HTTP_HOST=shop.test"}); }

    // The owner's visit, and the owner's press of the table tasks' button.
    Response OwnerGet(const ScriptSettings& settings) { return Send(settings, "GET", {}, Owner()); }
    Response OwnerPost(const ScriptSettings& settings)
    {
        return Send(settings, "POST", {{"zestrel_owner_task", "1"}}, Owner());
    }

    bool TableExists(const std::string& table) const
    {
        return Query("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                     "TABLE_NAME = '" +
                   table + "'") == Table{{"1"}};
    }

    // One script per settings: hashing the owner password anew for each
    // request would cost a compile per request.
    std::filesystem::path Script(const ScriptSettings& settings)
    {
        for (const auto& [known, script] : scripts_)
            if (SameSettings(known, settings))
                return script;
        scripts_.emplace_back(settings, SaveScript(settings));
        return scripts_.back().second;
    }

private:
    static bool SameSettings(const ScriptSettings& a, const ScriptSettings& b)
    {
        return scriptgen::CompileScript(WithoutOwner(a)) == scriptgen::CompileScript(WithoutOwner(b)) &&
            a.ownerPassword == b.ownerPassword;
    }
    static ScriptSettings WithoutOwner(ScriptSettings s)
    {
        s.ownerPassword.clear();
        return s;
    }

    std::vector<std::pair<ScriptSettings, std::filesystem::path>> scripts_;
    // Each test runs in a process of its own against the one server, whose
    // flood counts they share: each starts at an address of its own.
    unsigned visitors_ = std::random_device{}() & 0xffff00u;
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

// The log holds `part`, or nothing at all when `part` is empty.
void ExpectLog(const std::string& log, const std::string& part)
{
    if (part.empty()) {
        EXPECT_EQ(log, "");
    } else {
        EXPECT_NE(log.find(part), std::string::npos) << log;
    }
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

// A field's rule that names its label, its type and its longest length.
scriptgen::FieldRule Rule(
    const std::string& field, const std::string& label, const std::string& type, const std::string& maxLength)
{
    scriptgen::FieldRule rule;
    rule.field = field;
    rule.label = label;
    rule.type = type;
    rule.maxLength = maxLength;
    return rule;
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

TEST_F(SafeScripts, TablesAreCreatedAndDeletedByTheOwnerOnly)
{
    const ScriptSettings create = CreateTable(Connected(), "made");
    // Anyone else, with a post or a visit, gets nothing but the sign-in.
    // Over plain HTTP the browser is not even asked for the password.
    std::vector<std::string> sameSiteHttps = kSameSite;
    sameSiteHttps.emplace_back("HTTPS=on");
    const std::tuple<const char*, std::vector<std::string>, int> strangers[] = {
        {"GET", {"HTTP_HOST=shop.test", "HTTPS=on"}, 401}, {"POST", sameSiteHttps, 401}, {"POST", kSameSite, 403},
        {"POST", {}, 403}};
    for (const auto& [method, env, status] : strangers) {
        SCOPED_TRACE(std::string(method) + " " + std::to_string(env.size()));
        const Response r = Send(create, method, {}, env);
        EXPECT_EQ(r.status, status) << r.body;
        EXPECT_EQ(r.headers.count("WWW-Authenticate"), status == 401 ? 1u : 0u);
        EXPECT_FALSE(TableExists("made"));
    }
    const Response visit = OwnerGet(create);
    EXPECT_EQ(visit.status, 200);
    EXPECT_EQ(visit.headers.at("Cache-Control"), "no-store");
    EXPECT_NE(visit.body.find("<form method=\"post\"><input type=\"hidden\" name=\"zestrel_owner_task\" value=\"1\">"
                              "<button type=\"submit\">Create the table made</button>"),
        std::string::npos)
        << visit.body;
    EXPECT_FALSE(TableExists("made"));

    // Columns are sized for what the form's rules allow.
    ScriptSettings sized = create;
    sized.fieldRules = {Rule("email", "", "", "20000"), Rule("city", "", "textarea", ""),
        Rule("first name", "", "", "40"), Rule("interests[]", "", "", "226")};
    const Response created = OwnerPost(sized);
    EXPECT_EQ(created.status, 200);
    EXPECT_EQ(created.log, "");
    EXPECT_NE(created.body.find("<p>The table made is ready.</p>"), std::string::npos) << created.body;
    EXPECT_EQ(Query("SELECT COLUMN_NAME, COLUMN_TYPE, EXTRA, CHARACTER_SET_NAME FROM information_schema.COLUMNS "
                    "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'made' ORDER BY ORDINAL_POSITION"),
        (Table{{"name", "varchar(225)", "", "utf8mb4"}, {"email", "mediumtext", "", "utf8mb4"},
            {"city", "text", "", "utf8mb4"}, {"first name", "varchar(225)", "", "utf8mb4"},
            {"interests", "text", "", "utf8mb4"}, {"id", "int(11)", "auto_increment", "NULL"},
            {"received", "datetime", "", "NULL"}}));
    EXPECT_EQ(OwnerPost(create).status, 200) << "creating a table that exists changes nothing";

    ScriptSettings drop = Connected();
    drop.dropTable = true;
    drop.dropTableName = "made";
    // An empty post without any header deletes nothing.
    EXPECT_EQ(Send(drop, "POST", {}, {}).status, 403);
    EXPECT_EQ(Send(drop, "POST", {}, {"HTTP_HOST=shop.test", "HTTPS=on"}).status, 401);
    EXPECT_NE(OwnerGet(drop).body.find(">Delete the table made</button>"), std::string::npos);
    EXPECT_TRUE(TableExists("made"));
    const Response dropped = OwnerPost(drop);
    EXPECT_EQ(dropped.status, 200);
    EXPECT_EQ(dropped.log, "");
    EXPECT_NE(dropped.body.find("<p>The table made has been deleted.</p>"), std::string::npos) << dropped.body;
    EXPECT_FALSE(TableExists("made"));
    EXPECT_EQ(OwnerPost(drop).status, 200) << "deleting a table that is gone changes nothing";
}

// The owner's pages open for the user name "owner" and the owner password
// only, over HTTPS or from the server itself.
TEST_F(SafeScripts, OwnerSignsInOverHttps)
{
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "signed")).status, 200);
    Query("INSERT INTO signed (name, city) VALUES ('Ada', 'London')");
    ScriptSettings records = Connected();
    records.displayAll = true;
    records.displayAllTable = "signed";
    records.displayAllFields = {"name", "city"};
    const std::string basic = "HTTP_AUTHORIZATION=Basic " + e2e::Base64("owner:" + kOwnerPassword);
    struct SignIn {
        std::string name;
        std::vector<std::string> env;
        int status;
        std::string log; // a part of the log line, or empty for none
    };
    const SignIn cases[] = {
        {"no credentials", {"HTTP_HOST=shop.test", "HTTPS=on"}, 401, ""},
        {"the owner password, not ASCII", Owner(), 200, ""},
        {"a wrong password", Owner("P\xc3\xa4sswort"), 401, "a wrong user name or owner password"},
        {"the password with another user name", Owner(kOwnerPassword, "admin"), 401, "a wrong user name"},
        {"plain HTTP from another machine", {"HTTP_HOST=shop.test", basic, "REMOTE_ADDR=203.0.113.9"}, 403, ""},
        {"plain HTTP from the server itself", {"HTTP_HOST=localhost", basic, "REMOTE_ADDR=127.0.0.1"}, 200, ""},
        {"HTTPS ended by a proxy on the server",
            {"HTTP_HOST=127.0.0.1:8080", basic, "REMOTE_ADDR=127.0.0.1", "HTTP_X_FORWARDED_PROTO=https",
                "HTTP_X_FORWARDED_FOR=203.0.113.9"},
            200, ""},
        {"plain HTTP through that proxy",
            {"HTTP_HOST=127.0.0.1:8080", basic, "REMOTE_ADDR=127.0.0.1", "HTTP_X_FORWARDED_PROTO=http",
                "HTTP_X_FORWARDED_FOR=203.0.113.9"},
            403, ""},
        {"a proxy on the server that adds only X-Real-IP",
            {"HTTP_HOST=shop.test", basic, "REMOTE_ADDR=127.0.0.1", "HTTP_X_REAL_IP=203.0.113.9"}, 403, ""},
        {"a proxy on the server that adds nothing", {"HTTP_HOST=shop.test", basic, "REMOTE_ADDR=127.0.0.1"}, 403, ""},
        {"a proxy's Client-IP to the server's own name",
            {"HTTP_HOST=localhost", basic, "REMOTE_ADDR=127.0.0.1", "HTTP_CLIENT_IP=203.0.113.9"}, 403, ""},
        {"the server itself by its IPv6 name and a port", {"HTTP_HOST=[::1]:8080", basic, "REMOTE_ADDR=::1"}, 200, ""},
        {"the server itself through a dual-stack listener",
            {"HTTP_HOST=localhost:8080", basic, "REMOTE_ADDR=::ffff:127.0.0.1"}, 200, ""},
        {"credentials a server passes on under another name",
            {"HTTP_HOST=shop.test", "HTTPS=on", "REDIRECT_HTTP_AUTHORIZATION=" + basic.substr(19)}, 200, ""},
    };
    for (const SignIn& c : cases) {
        SCOPED_TRACE(c.name);
        const Response r = Send(records, "GET", {}, c.env);
        EXPECT_EQ(r.status, c.status) << r.body;
        EXPECT_EQ(r.headers.at("Cache-Control"), "no-store");
        EXPECT_EQ(r.headers.count("WWW-Authenticate") ? r.headers.at("WWW-Authenticate") : "",
            c.status == 401 ? "Basic realm=\"Zestrel owner\", charset=\"UTF-8\"" : "");
        EXPECT_EQ(r.body.find("London") != std::string::npos, c.status == 200) << r.body;
        if (c.status == 403) {
            EXPECT_NE(r.body.find("opens over HTTPS only"), std::string::npos) << r.body;
        }
        ExpectLog(r.log, c.log);
    }

    // The first record a stranger could read by its id is for the owner too.
    ScriptSettings byId = Connected();
    byId.fieldList = {"id"};
    byId.displaySpecific = true;
    byId.displaySpecificTable = "signed";
    byId.whereField = "id";
    byId.whereValue = "$id";
    byId.displaySpecificFields = {"name", "city"};
    const Response stranger = Send(byId, "POST", {{"id", "1"}}, {"HTTP_HOST=shop.test", "HTTPS=on"});
    EXPECT_EQ(stranger.status, 401);
    EXPECT_EQ(stranger.body.find("London"), std::string::npos) << stranger.body;
    EXPECT_NE(Send(byId, "POST", {{"id", "1"}}, Owner()).body.find("<td>London</td>"), std::string::npos);
}

TEST_F(SafeScripts, HostilePostsAreStoredAndMailedExactly)
{
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "guests")).status, 200);
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
        std::string log = ""; // a part of the log, or empty for none
        Form cleaned = {}; // what is stored and mailed in place of a posted value, as the browser would send it
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
        {"a sibling site under the same domain", ada,
            {"HTTP_HOST=shop.test", "HTTP_ORIGIN=https://blog.shop.test", "HTTP_SEC_FETCH_SITE=same-site"}, "POST", 403,
            "", false, ""},
        {"no site named, with another site's Origin", ada,
            {"HTTP_HOST=shop.test", "HTTP_ORIGIN=https://evil.test", "HTTP_SEC_FETCH_SITE=none"}, "POST", 403, "",
            false, ""},
        {"the own host over another scheme", ada, {"HTTP_HOST=shop.test", "HTTPS=on", "HTTP_ORIGIN=http://shop.test"},
            "POST", 403, "", false, ""},
        {"the own host on another port", ada, {"HTTP_HOST=shop.test:8443", "HTTPS=on", "HTTP_ORIGIN=https://shop.test"},
            "POST", 403, "", false, ""},
        {"the own site on another port", ada,
            {"HTTP_HOST=shop.test:8443", "HTTPS=on", "HTTP_ORIGIN=https://shop.test:8443"}, "POST", 303, "thanks.html",
            true, "ada@example.org"},
        {"the own site on its scheme's port, named", ada,
            {"HTTP_HOST=shop.test:443", "HTTPS=on", "HTTP_ORIGIN=https://shop.test"}, "POST", 303, "thanks.html", true,
            "ada@example.org"},
        {"a visitor behind a proxy that ends HTTPS", ada,
            {"HTTP_HOST=127.0.0.1:8080", "HTTP_ORIGIN=https://www.example.com", "HTTP_X_FORWARDED_PROTO=https",
                "HTTP_X_FORWARDED_HOST=www.example.com", "REMOTE_ADDR=127.0.0.1", "HTTP_X_FORWARDED_FOR=203.0.113.5"},
            "POST", 303, "thanks.html", true, "ada@example.org"},
        {"an old client that names no origin", ada, {"HTTP_HOST=shop.test"}, "POST", 303, "thanks.html", true,
            "ada@example.org"},
        {"the spam trap filled in", {{"name", "Bot"}, {"zestrel_trap", "http://spam.test"}}, kSameSite, "POST", 303,
            "thanks.html", false, "", nullptr, "the spam trap caught a post"},
        {"the trap of forms made before it was renamed", {{"name", "Bot"}, {"zestrel_website", "http://spam.test"}},
            kSameSite, "POST", 303, "thanks.html", false, "", nullptr, "the spam trap caught a post"},
        {"none of the form's fields", {{"comment", "hello"}}, kSameSite, "POST", 303, "sorry.html", false, ""},
        {"a visit instead of a post", {}, {"HTTP_HOST=shop.test"}, "GET", 405, "", false, ""},
        {"unticked fields left out of the mail", ada, kSameSite, "POST", 303, "thanks.html", true, "ada@example.org",
            [](ScriptSettings& s) { s.mailVariables[2].checked = s.mailVariables[4].checked = false; }},
        {"line breaks in one-line fields, blanks around an address",
            {{"name", "A\r\nd\r\na\r\n\r\n\r\n"}, {"email", " \tada@example.org\r\n "},
                {"city", "Oslo\r\nE-mail: ceo@bank.test"}},
            kSameSite, "POST", 303, "thanks.html", true, "ada@example.org",
            [](ScriptSettings& s) {
                s.fieldRules = {
                    Rule("name", "", "text", "3"), Rule("email", "", "email", ""), Rule("city", "", "textarea", "")};
            },
            "", {{"name", "Ada"}, {"email", "ada@example.org"}}},
        {"a line of a lone dot", {{"name", "Dot"}, {"email", "d@example.org"}, {"city", "one\r\n.\r\ntwo"}}, kSameSite,
            "POST", 303, "thanks.html", true, "d@example.org"},
        {"a subject that looks encoded already", ada, kSameSite, "POST", 303, "thanks.html", true, "ada@example.org",
            [](ScriptSettings& s) { s.subject = "=?UTF-8?B?SGk=?= from the form"; }},
        {"an address of an IP as sender", {{"name", "Ip"}, {"email", "a@[127.0.0.1]"}}, kSameSite, "POST", 303,
            "thanks.html", true, ""},
        {"a quoted sender holding a comma", {{"name", "Q"}, {"email", "\"x,evil@evil.test\"@b.test"}}, kSameSite,
            "POST", 303, "thanks.html", true, ""},
        {"a quoted sender holding a control byte", {{"name", "C"}, {"email", "\"a\x01\x1b\"@b.test"}}, kSameSite,
            "POST", 303, "thanks.html", true, ""},
        {"a sender routed with %", {{"name", "P"}, {"email", "victim%other.test@b.test"}}, kSameSite, "POST", 303,
            "thanks.html", true, ""},
        {"a sender beyond ASCII",
            {{"name", "B"},
                {"email",
                    "b\xc3\xbc"
                    "cher@b\xc3\xbc"
                    "cher.test"}},
            kSameSite, "POST", 303, "thanks.html", true, ""},
        {"a sender of 65 characters before the @", {{"name", "L"}, {"email", std::string(65, 'a') + "@b.test"}},
            kSameSite, "POST", 303, "thanks.html", true, ""},
        {"a sender of 64 characters before the @", {{"name", "L"}, {"email", std::string(64, 'a') + "@b.test"}},
            kSameSite, "POST", 303, "thanks.html", true, std::string(64, 'a') + "@b.test"},
        {"a plain sender with a tag and an apostrophe", {{"name", "O"}, {"email", "o'brien+news@shop.test"}}, kSameSite,
            "POST", 303, "thanks.html", true, "o'brien+news@shop.test"},
        {"an international domain as xn--", {{"name", "X"}, {"email", "a@xn--bcher-kva.test"}}, kSameSite, "POST", 303,
            "thanks.html", true, "a@xn--bcher-kva.test"},
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
        ExpectLog(r.log, c.location == "sorry.html" ? "a post without any of the form's fields" : c.log);
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
        for (const auto& [field, value] : c.cleaned)
            sent[field] = value;
        EXPECT_EQ(Query("SELECT HEX(name), HEX(email), HEX(city), HEX(`first name`), HEX(interests) FROM guests"),
            (Table{{Hex(sent["name"]), Hex(sent["email"]), Hex(sent["city"]), Hex(sent["first name"]),
                Hex(sent["interests[]"])}}));

        const std::string message = e2e::ReadFile(mailFile);
        const std::string head = message.substr(0, message.find("\r\n\r\n"));
        // A line of a lone dot would end the message for some mail transports.
        EXPECT_EQ(message.find("\r\n.\r\n"), std::string::npos) << message;
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
                body += item.text.substr(1) + ": " + e2e::MailValue(sent[item.text.substr(1)]) + "\r\n";
        EXPECT_EQ(mail.body, body) << message;
    }

    // A post beyond post_max_size reaches the script without any field: it is
    // told so with the limit, rather than sent to the failure page.
    const auto mailFile = File("large.txt");
    ScriptSettings mailOnly;
    mailOnly.target = scriptgen::Target::Safe;
    mailOnly.fieldList = {"name"};
    mailOnly.sendMail = true;
    mailOnly.recipient = "owner@shop.test";
    mailOnly.subject = "Hello";
    mailOnly.mailVariables = {{"$name", true}};
    mailOnly.successPage = "thanks.html";
    mailOnly.failurePage = "sorry.html";
    for (const int bytes : {1024, 1025}) {
        SCOPED_TRACE(bytes);
        std::filesystem::remove(mailFile);
        const Response r =
            Send(mailOnly, "POST", {{"name", std::string(bytes - 5, 'a')}}, kSameSite, mailFile, {"post_max_size=1K"});
        EXPECT_EQ(r.status, bytes > 1024 ? 413 : 303) << r.body;
        EXPECT_EQ(r.log.find("larger than post_max_size") != std::string::npos, bytes > 1024) << r.log;
        EXPECT_EQ(std::filesystem::exists(mailFile), bytes <= 1024);
    }
}

// The form's own rules guard every task: a post that breaks them is neither
// stored nor mailed, and its page lists each problem by the field's label; a
// post that keeps them goes through, and its mail names the fields as the
// form does.
TEST_F(SafeScripts, RulesGuardTheRecordAndTheMail)
{
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "ruled")).status, 200);
    ScriptSettings settings = Feedback(Connected(), "ruled");
    const auto rule = [](const std::string& field, const std::string& label, void (*set)(scriptgen::FieldRule&)) {
        scriptgen::FieldRule r;
        r.field = field;
        r.label = label;
        set(r);
        return r;
    };
    settings.fieldRules = {
        rule("name", "Your name", [](scriptgen::FieldRule& r) { r.required = true; }),
        rule("email", "E-mail", [](scriptgen::FieldRule& r) { r.type = "email"; }),
        rule("city", "", [](scriptgen::FieldRule& r) { r.maxLength = "10"; }),
        rule("interests[]", "Interests",
            [](scriptgen::FieldRule& r) {
                r.type = "checkbox";
                r.choices = {"cakes", "bread"};
                r.multiple = true;
            }),
    };
    const auto mailFile = File("mail.txt");
    const Response refused = Send(settings, "POST",
        {{"name", ""}, {"email", "ada"}, {"city", "Llanfairpwllgwyngyll"}, {"interests[]", "cakes"},
            {"interests[]", "spam"}},
        kSameSite, mailFile);
    EXPECT_EQ(refused.status, 422);
    EXPECT_NE(refused.body.find("<ul>\n<li>Your name: please fill this in.</li>\n"
                                "<li>E-mail: please give an e-mail address, such as name@example.com.</li>\n"
                                "<li>city: please shorten it to 10 characters or fewer (it has 20).</li>\n"
                                "<li>Interests: &quot;spam&quot; is not one of its choices.</li>\n</ul>"),
        std::string::npos)
        << refused.body;
    EXPECT_EQ(Query("SELECT COUNT(*) FROM ruled"), Table{{"0"}});
    EXPECT_FALSE(std::filesystem::exists(mailFile));

    const Response taken = Send(settings, "POST",
        {{"name", "Ada"}, {"email", "ada@example.org"}, {"city", "London"}, {"first name", "Ada"},
            {"interests[]", "cakes"}, {"interests[]", "bread"}},
        kSameSite, mailFile);
    EXPECT_EQ(taken.status, 303) << taken.body;
    EXPECT_EQ(Query("SELECT name, email, city, interests FROM ruled"),
        (Table{{"Ada", "ada@example.org", "London", "cakes, bread"}}));
    EXPECT_EQ(ReadMail(e2e::ReadFile(mailFile)).body,
        "Your name: Ada\r\nE-mail: ada@example.org\r\ncity: London\r\nfirst name: Ada\r\nInterests: cakes, bread\r\n");
}

// With the site's own From address, mail() sends as the site: From and the
// envelope sender (sendmail's -f) are that address, and the visitor's, or a
// typed sender's, goes to Reply-To.
TEST_F(SafeScripts, TheSiteSendsAsItsOwnAddress)
{
    const auto sendmail = File("sendmail.sh");
    e2e::WriteFile(sendmail, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\ncat > \"$0.eml\"\n");
    std::filesystem::permissions(sendmail, std::filesystem::perms::owner_all);
    struct FromCase {
        const char* name;
        std::string sender;
        std::string replyTo;
    };
    const FromCase cases[] = {
        {"the visitor's address", "$email", "ada@example.org"},
        {"a typed sender", "sales@shop.test", "sales@shop.test"},
        {"the site's own address typed twice", "website@shop.test", ""},
        {"no sender", "", ""},
    };
    for (const FromCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(File("sendmail.sh.eml"));
        ScriptSettings s;
        s.target = scriptgen::Target::Safe;
        s.fieldList = {"name", "email"};
        s.sendMail = true;
        s.recipient = "owner@shop.test";
        s.subject = "Hello";
        s.sender = c.sender;
        s.mailVariables = {{"$name", true}};
        s.successPage = "thanks.html";
        s.failurePage = "sorry.html";
        s.mailFrom = "website@shop.test";
        ASSERT_EQ(scriptgen::CheckSafeScript(s).size(), 0u);
        const Response r = Send(s, "POST", {{"name", "Ada"}, {"email", "ada@example.org"}}, kSameSite, {},
            {"sendmail_path=\"" + sendmail.string() + "\""});
        EXPECT_EQ(r.status, 303) << r.log;
        EXPECT_EQ(e2e::ReadFile(File("sendmail.sh.args")), "-fwebsite@shop.test\n");
        const Mail mail = ReadMail(e2e::ReadFile(File("sendmail.sh.eml")));
        EXPECT_EQ(mail.headers.at("From"), "website@shop.test");
        EXPECT_EQ(mail.headers.count("Reply-To") ? mail.headers.at("Reply-To") : "", c.replyTo);
        EXPECT_EQ(mail.body, "name: Ada\r\n");
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
    s.recordsPublic = true;
    return s;
}

TEST_F(SafeScripts, RecordsAreShownEscapedAndRowByRow)
{
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "book")).status, 200);
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
    search.recordsPublic = true;
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

// Records that are not public: a visitor's post is thanked without them, and
// only the owner sees them.
TEST_F(SafeScripts, RecordsAreForTheOwnerUnlessPublic)
{
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "private_book")).status, 200);
    ScriptSettings book = Guestbook(Connected(), "private_book");
    book.recordsPublic = false;
    const Response posted = Post(book, {{"name", "Ada"}, {"city", "London"}});
    EXPECT_EQ(posted.status, 200);
    EXPECT_TRUE(posted.body.ends_with("<body>\n<p>Thank you: your form has been received.</p>\n</body></html>\n"))
        << posted.body;
    const Response visit = Send(book, "GET", {}, {"HTTP_HOST=shop.test", "HTTPS=on"});
    EXPECT_EQ(visit.status, 401);
    EXPECT_EQ(visit.body.find("London"), std::string::npos) << visit.body;
    const Response owner = OwnerGet(book);
    EXPECT_EQ(owner.status, 200);
    EXPECT_NE(
        owner.body.find("<td>Ada</td><td>London</td><td><a href=\"?delete=1\">Delete</a></td></tr>"), std::string::npos)
        << owner.body;
}

// The owner's records as an inbox: the table's Create offered only while it
// is missing, then newest first (the newest on the first page, the oldest on
// the last), fifty to a page, a search that takes LIKE's
// characters as themselves, and the export as CSV with formulas made inert.
TEST_F(SafeScripts, OwnerReadsRecordsAsAnInbox)
{
    ScriptSettings inbox = CreateTable(Connected(), "inbox");
    inbox.fieldList = inbox.createTableFields = inbox.displayAllFields = {"name", "message"};
    inbox.displayAll = true;
    inbox.displayAllTable = "inbox";
    const auto count = [](const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(OwnerGet(inbox).body, "zestrel_owner_task"), 1U) << "the missing table is offered";
    ASSERT_EQ(OwnerPost(inbox).status, 200);
    Query("INSERT INTO inbox (name, message) SELECT CONCAT('n', seq), 'plain' FROM seq_1_to_51; "
          "INSERT INTO inbox (name, message) VALUES ('100% sure_x', '=SUM(A1)'), "
          "('\"Zo\xc3\xab\"', 'two\\nlines')");
    struct PageCase {
        std::string query;
        std::size_t rows;
        std::string shown; // a cell of a record the page must show
    };
    const PageCase pages[] = {{"", 50, "<td>&quot;Zo\xc3\xab&quot;</td>"}, {"page=2", 3, "<td>n3</td>"},
        {"page=99", 3, "<td>n1</td>"}, {"page=0", 50, "<td>&quot;Zo\xc3\xab&quot;</td>"},
        {"page=x", 50, "<td>&quot;Zo\xc3\xab&quot;</td>"}, {"q=_", 1, "<td>100% sure_x</td>"},
        {"q=%25", 1, "<td>100% sure_x</td>"}, {"q=zo%C3%AB", 1, "<td>&quot;Zo\xc3\xab&quot;</td>"},
        {"q=%27%20OR%201%3D1%20--%20", 0, ""}, {"q=n5&page=1", 3, "<td>n51</td>"}};
    for (const PageCase& c : pages) {
        SCOPED_TRACE(c.query);
        std::vector<std::string> env = Owner();
        env.push_back("QUERY_STRING=" + c.query);
        const Response r = Send(inbox, "GET", {}, env);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.log, "");
        EXPECT_EQ(count(r.body, "<tr><td>"), c.rows) << r.body;
        EXPECT_EQ(c.shown.empty() || r.body.find(c.shown) != std::string::npos, true) << r.body;
        EXPECT_EQ(count(r.body, "zestrel_owner_task"), 0U) << "the table exists";
    }
    std::vector<std::string> env = Owner();
    env.push_back("QUERY_STRING=q=Zo&page=1");
    EXPECT_NE(Send(inbox, "GET", {}, env).body.find("two<br>\nlines"), std::string::npos) << "line breaks kept";

    env.back() = "QUERY_STRING=export=csv";
    const Response csv = Send(inbox, "GET", {}, env);
    EXPECT_EQ(csv.headers.at("Content-Type"), "text/csv; charset=UTF-8");
    EXPECT_TRUE(csv.headers.at("Content-Disposition").starts_with("attachment; filename=\"inbox-"))
        << csv.headers.at("Content-Disposition");
    EXPECT_TRUE(csv.body.starts_with("\xEF\xBB\xBF\"No.\",\"Received\",\"name\",\"message\"\r\n"))
        << csv.body.substr(0, 80);
    // Python's csv module reads back what the table holds, newest first,
    // with the formula made plain text.
    const e2e::ProcessResult read =
        e2e::Run({"/usr/bin/python3", "-c",
                     "import csv, io, sys\n"
                     "rows = list(csv.reader(io.StringIO(sys.stdin.buffer.read()"
                     ".decode('utf-8-sig'), newline='')))\n"
                     "print(len(rows)); print(repr(rows[1][2:])); print(repr(rows[2][2:]))"},
            {e2e::PathEntry()}, csv.body);
    EXPECT_EQ(read.out, "54\n['\"Zo\xc3\xab\"', 'two\\nlines']\n['100% sure_x', \"'=SUM(A1)\"]\n") << read.err;
    env.back() = "QUERY_STRING=export=csv&q=sure";
    EXPECT_EQ(count(Send(inbox, "GET", {}, env).body, "\r\n"), 2U) << "the export of a search";
    EXPECT_EQ(Send(inbox, "GET", {}, {"HTTP_HOST=shop.test", "HTTPS=on", "QUERY_STRING=export=csv"}).status, 401);

    // Deleting one record asks first and takes only the owner's post from
    // this site; "delete=52" stands for the record "100% sure_x".
    const std::string id = Query("SELECT id FROM inbox WHERE name = '100% sure_x'").at(0).at(0);
    const std::string last = Query("SELECT MAX(id) FROM inbox").at(0).at(0);
    struct DeleteStep {
        const char* name;
        const char* method;
        const char* query;
        std::vector<std::string> env; // beside the owner's; "stranger": no sign-in
        int status;
        std::string left; // the records left
    };
    const DeleteStep steps[] = {
        {"the question", "GET", "delete=52", {}, 200, "53"},
        {"a stranger's question", "GET", "delete=52", {"stranger"}, 401, "53"},
        {"a stranger's post", "POST", "delete=52", {"stranger"}, 401, "53"},
        {"a post from another site", "POST", "delete=52",
            {"HTTP_ORIGIN=https://elsewhere.test", "HTTP_SEC_FETCH_SITE=cross-site"}, 403, "53"},
        {"not a number", "POST", "delete=52x", {}, 404, "53"},
        {"the owner's post", "POST", "delete=52", {"HTTP_ORIGIN=https://shop.test"}, 200, "52"},
        {"the same post again", "POST", "delete=52", {}, 404, "52"},
        {"a question about it", "GET", "delete=52", {}, 404, "52"},
    };
    for (const DeleteStep& step : steps) {
        SCOPED_TRACE(step.name);
        const bool stranger = !step.env.empty() && step.env[0] == "stranger";
        std::vector<std::string> sent =
            stranger ? std::vector<std::string>{"HTTP_HOST=shop.test", "HTTPS=on"} : Owner();
        if (!stranger)
            sent.insert(sent.end(), step.env.begin(), step.env.end());
        sent.push_back(std::regex_replace(std::string("QUERY_STRING=") + step.query, std::regex("52"), id));
        const Response r = Send(inbox, step.method, {}, sent);
        EXPECT_EQ(r.status, step.status) << r.body;
        EXPECT_EQ(Query("SELECT COUNT(*) FROM inbox"), e2e::Table{{step.left}});
        if (std::string_view(step.method) == "GET" && step.status == 200) {
            EXPECT_NE(r.body.find("<td>100% sure_x</td>"), std::string::npos) << r.body;
            EXPECT_NE(r.body.find("<form method=\"post\" action=\"?delete=" + id + "\">"), std::string::npos) << r.body;
        }
    }
    EXPECT_NE(OwnerGet(inbox).body.find("<a href=\"?delete=" + last + "\">"), std::string::npos) << "each row's link";

    // The first page at the edges of a page: its rows, and the last page it
    // links to (none for one page).
    const struct {
        int records;
        std::size_t rows;
        std::string lastPage;
    } sizes[] = {{0, 0, ""}, {1, 1, ""}, {50, 50, ""}, {51, 50, "2"}, {10000, 50, "200"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.records);
        Query("TRUNCATE inbox" +
            (size.records == 0
                    ? std::string()
                    : "; INSERT INTO inbox (name) SELECT seq FROM seq_1_to_" + std::to_string(size.records)));
        const Response r = OwnerGet(inbox);
        EXPECT_EQ(count(r.body, "<tr><td>"), size.rows);
        EXPECT_NE(r.body.find(size.records == 1 ? "1 record " : std::to_string(size.records) + " records"),
            std::string::npos);
        EXPECT_EQ(r.body.find("Pages:") != std::string::npos, !size.lastPage.empty());
        if (!size.lastPage.empty()) {
            EXPECT_NE(r.body.find(">" + size.lastPage + "</a></p>"), std::string::npos) << r.body;
        }
    }
}

// The owner's self-check says, line by line, what this host lacks for the
// script: each row names what must show up as a problem, if anything.
TEST_F(SafeScripts, SelfCheckNamesWhatTheHostLacks)
{
    ScriptSettings s = SelfChecked();
    s.fieldRules = {Rule("message", "", "", "500")};
    ScriptSettings down = s;
    down.host = "127.0.0.1:1";
    ScriptSettings smtp = s;
    smtp.smtp.emplace();
    smtp.smtp->host = "127.0.0.1";
    smtp.smtp->port = 1;
    smtp.mailFrom = "web@shop.test";
    ScriptSettings mailOnly = s;
    mailOnly.useDatabase = mailOnly.insertRecord = false;
    ScriptSettings framed = mailOnly;
    framed.templatePage = "missing.html";
    const auto problems = [](const std::string& body) {
        std::vector<std::string> found;
        for (std::size_t at = body.find("<strong>Problem</strong>"); at != std::string::npos;
             at = body.find("<strong>Problem</strong>", at + 1))
            found.push_back(body.substr(at, body.find("</tr>", at) - at));
        return found;
    };
    struct CheckCase {
        const char* name;
        const ScriptSettings* settings;
        std::string table; // made before the check; empty: none
        std::string problem; // what the one problem names; empty: all good
        bool noIniFiles = false;
    };
    const CheckCase cases[] = {
        {"a complete host", &s, "name VARCHAR(225), message TEXT", ""},
        {"the table missing", &s, "", "checked"},
        {"a column too short for the rule", &s, "name VARCHAR(225), message VARCHAR(100)", "message"},
        {"a column missing", &s, "name VARCHAR(225)", "message"},
        {"the database down", &down, "", "cannot be reached"},
        {"PHP without mysqli", &s, "", "mysqli", true},
        {"mail alone", &mailOnly, "", ""},
        {"a page template that is not there", &framed, "", "missing.html"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        Query("DROP TABLE IF EXISTS checked" + (c.table.empty() ? "" : "; CREATE TABLE checked (" + c.table + ")"));
        std::vector<std::string> env = Owner();
        env.push_back("QUERY_STRING=check");
        const Response r = Send(*c.settings, "GET", {}, env, {}, {}, c.noIniFiles);
        EXPECT_EQ(r.status, 200);
        const std::vector<std::string> found = problems(r.body);
        ASSERT_EQ(found.size(), c.problem.empty() ? 0U : 1U) << r.body;
        if (!c.problem.empty()) {
            EXPECT_NE(found[0].find(c.problem), std::string::npos) << found[0];
        }
    }
    Query("DROP TABLE IF EXISTS checked; CREATE TABLE checked (name VARCHAR(225), message TEXT)");
    std::vector<std::string> env = Owner();
    env.push_back("QUERY_STRING=check");
    EXPECT_EQ(Send(s, "GET", {}, {"HTTP_HOST=shop.test", "HTTPS=on", "QUERY_STRING=check"}).status, 401);

    // The test mail: sent by a post from this site only, through the
    // script's transport; a closed port is named with the conversation.
    const auto mail = File("test.eml");
    std::vector<std::string> posted = env;
    posted.push_back("HTTP_ORIGIN=https://shop.test");
    const Response sent = Send(s, "POST", {{"zestrel_test_mail", "1"}}, posted, mail);
    EXPECT_TRUE(problems(sent.body).empty()) << sent.body;
    EXPECT_NE(e2e::ReadFile(mail).find("Subject: Test mail"), std::string::npos);
    std::filesystem::remove(mail);
    posted.back() = "HTTP_ORIGIN=https://elsewhere.test";
    posted.push_back("HTTP_SEC_FETCH_SITE=cross-site");
    EXPECT_EQ(Send(s, "POST", {{"zestrel_test_mail", "1"}}, posted, mail).status, 403);
    EXPECT_FALSE(std::filesystem::exists(mail));
    posted.pop_back();
    posted.back() = "HTTP_ORIGIN=https://shop.test";
    const Response closed = Send(smtp, "POST", {{"zestrel_test_mail", "1"}}, posted);
    ASSERT_EQ(problems(closed.body).size(), 1U) << closed.body;
    EXPECT_NE(closed.body.find("<pre>(connecting to 127.0.0.1:1)</pre>"), std::string::npos) << closed.body;
}

// Once on Apache with PHP-FPM, as shared hosts run PHP: the owner signs in
// (Apache passes the Authorization header on with CGIPassAuth), the
// self-check finds a complete host, and its test mail goes out.
TEST_F(SafeScripts, OwnerSelfChecksUnderApacheWithFpm)
{
    if (!e2e::ApacheFpm::Installed())
        GTEST_SKIP() << "apache2 and php-fpm are not installed (./tools/test installs them)";
    ScriptSettings s = SelfChecked();
    Query("DROP TABLE IF EXISTS checked; CREATE TABLE checked (name VARCHAR(225), message TEXT)");
    const std::filesystem::path site = File("site");
    std::filesystem::create_directory(site);
    // Apache's children may run as another user, who must reach the site.
    for (const std::filesystem::path& folder : {dir_.path(), site})
        std::filesystem::permissions(folder,
            std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                std::filesystem::perms::others_exec);
    e2e::WriteScript(site / "form.php", scriptgen::CompileScript(s));
    const auto mail = File("apache.eml");
    const e2e::ApacheFpm apache(
        site, {"sendmail_path=\"/bin/cat > " + mail.string() + "\"", "sys_temp_dir=" + dir_.path().string()});
    ASSERT_NE(apache.port(), 0) << apache.why();
    const std::string host = "Host: localhost:" + std::to_string(apache.port());
    const std::string owner = "Authorization: Basic " + e2e::Base64("owner:" + s.ownerPassword);
    EXPECT_EQ(e2e::Http(apache.port(), "GET", "/form.php?check", {host}).status, 401);
    const e2e::HttpResponse check = e2e::Http(apache.port(), "GET", "/form.php?check", {host, owner});
    EXPECT_EQ(check.status, 200) << check.body << apache.why();
    EXPECT_NE(check.body.find("The database connection works."), std::string::npos) << check.body;
    EXPECT_EQ(check.body.find("<strong>Problem</strong>"), std::string::npos) << check.body;
    const e2e::HttpResponse sent =
        e2e::Http(apache.port(), "POST", "/form.php?check", {host, owner}, "zestrel_test_mail=1");
    EXPECT_EQ(sent.status, 200) << sent.body;
    EXPECT_NE(e2e::ReadFile(mail).find("Subject: Test mail"), std::string::npos) << sent.body;
}

// A page of the site surrounds the script's pages where it holds the mark,
// under the page's own title; its styles come by their hashes, its scripts
// not at all. A template that cannot be used gives the built-in page and one
// log line.
TEST_F(SafeScripts, PagesStandInTheSitesTemplate)
{
    ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.fieldList = {"name"};
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.subject = "Hello";
    s.mailVariables = {{"$name", true}};
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    const std::string style = "header{color:navy}";
    const std::string before = "<!DOCTYPE html>\n<html><head><title>Shop</title><style>" + style +
        "</style><script>alert(1)</script></head><body><header>Shop</header>\n<main>";
    const std::string after = "</main><footer>Shop, 2026</footer></body></html>";
    e2e::WriteFile(File("site.html"), before + "<!-- zestrel -->" + after);
    e2e::WriteFile(File("unmarked.html"), before + after);
    const std::string hash =
        e2e::Run({ZESTREL_PHP, "-r", "echo base64_encode(hash('sha256', $argv[1], true));", style}, {e2e::PathEntry()})
            .out;
    struct TemplateCase {
        std::string page;
        bool framed;
    } cases[] = {
        {"site.html", true}, {File("site.html").string(), true}, {"unmarked.html", false}, {"missing.html", false}};
    for (const TemplateCase& c : cases) {
        SCOPED_TRACE(c.page);
        s.templatePage = c.page;
        const Response r = Send(s, "GET", {}, {"HTTP_HOST=shop.test"});
        EXPECT_EQ(r.status, 405);
        EXPECT_EQ(r.body.starts_with("<!DOCTYPE html>\n<html><head><title>This address"), c.framed) << r.body;
        EXPECT_EQ(r.body.ends_with(after + "\n"), c.framed) << r.body;
        EXPECT_EQ(r.log.find(c.page) != std::string::npos, !c.framed) << r.log;
        const std::string policy = r.headers.at("Content-Security-Policy");
        EXPECT_EQ(policy.find("style-src 'self' 'sha256-" + hash + "'") != std::string::npos, c.framed) << policy;
        EXPECT_EQ(policy.find("script-src"), std::string::npos) << policy;
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
    ScriptSettings both = insert;
    both.dropTable = true;
    both.dropTableName = "visits";

    const auto count = [](const std::string& table) {
        return "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = '" +
            table + "'";
    };
    const std::string stored = "SELECT name, city IS NULL FROM visits";
    const std::string thanks = "Thank you: your form has been received.";
    const Form ada = {{"name", "Ada"}, {"city", "London"}};
    const Form trap = {{"name", "Bot"}, {"city", "Spam"}, {"zestrel_trap", "http://spam.test"}};
    const Form ownerTask = {{"zestrel_owner_task", "1"}};
    struct PageCase {
        std::string name;
        const ScriptSettings& settings;
        Form form;
        std::vector<std::string> env;
        std::string said; // the page's one paragraph
        std::string query; // what the database holds afterwards
        Table after;
        std::string log = ""; // a part of the log, or empty for none
    };
    const PageCase cases[] = {
        {"insert only", insert, ada, kSameSite, thanks, stored, {{"Ada", "0"}}},
        {"an empty value cell leaves its column NULL", emptyCell, ada, kSameSite, thanks, stored, {{"Ada", "1"}}},
        {"insert only, the spam trap filled in", insert, trap, kSameSite, thanks, stored, {},
            "the spam trap caught a post"},
        {"create only, by the owner", create, {}, Owner(), "The table made_here is ready.", count("made_here"),
            {{"1"}}},
        {"delete only, by the owner", drop, {}, Owner(), "The table visits has been deleted.", count("visits"),
            {{"0"}}},
        {"insert and delete: the form's post inserts", both, ada, kSameSite, thanks, stored, {{"Ada", "0"}}},
        {"insert and delete: the owner's button deletes", both, ownerTask, Owner(),
            "The table visits has been deleted.", count("visits"), {{"0"}}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Query("DROP TABLE IF EXISTS made_here, visits; CREATE TABLE visits (name VARCHAR(225), city VARCHAR(225))");
        const Response r = Send(c.settings, "POST", c.form, c.env);
        EXPECT_EQ(r.status, 200);
        ExpectLog(r.log, c.log);
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

    // A value longer than its column is the visitor's to shorten: the 422
    // page names the field and the most it holds, in characters as MySQL
    // counts them (an emoji is one), and nothing is stored or mailed; never
    // cut, also on a server whose own mode would cut it, as the test
    // server's does. The safe Create step sizes a column for a rule's
    // longest length.
    ScriptSettings made = CreateTable(Connected(), "short");
    made.createTableFields.push_back("message");
    made.fieldRules = {Rule("message", "", "textarea", "500")};
    ASSERT_EQ(OwnerPost(made).status, 200);
    Query("ALTER TABLE short ADD COLUMN note TINYTEXT, ADD COLUMN town VARCHAR(6) CHARACTER SET latin1");
    ScriptSettings shortBook = Guestbook(Connected(), "short");
    shortBook.displayAll = false;
    for (const char* field : {"note", "message", "town"}) {
        shortBook.fieldList.push_back(field);
        shortBook.insertFields.push_back(field);
        shortBook.insertValues.push_back("$" + std::string(field));
    }
    shortBook.fieldRules = {Rule("name", "Your name", "", ""), Rule("message", "Message", "", "")};
    shortBook.sendMail = true;
    shortBook.recipient = "owner@shop.test";
    shortBook.subject = "Guest";
    shortBook.mailVariables = {{"$name", true}, {"$message", true}};
    shortBook.successPage = "thanks.html";
    shortBook.failurePage = "sorry.html";
    const auto times = [](const std::string& text, int count) {
        std::string out;
        for (int i = 0; i < count; ++i)
            out += text;
        return out;
    };
    const std::string accents = times("\xc3\xa9", 225);
    const std::string emoji = times("\xf0\x9f\x98\x80", 225);
    const std::string tinyText(255, 'x'); // TINYTEXT holds 255 bytes
    struct LengthCase {
        std::string name;
        Form form;
        std::string refused; // the start of the page's line, or empty when the post is taken
    };
    const LengthCase lengths[] = {
        {"225 characters of two bytes", {{"name", accents}, {"city", "Oslo"}}, ""},
        {"one character more", {{"name", accents + "x"}, {"city", "Oslo"}},
            "Your name: please shorten it to 225 characters or fewer (it has 226)"},
        // MySQL would cut blanks at the end without a word, even in strict mode.
        {"blanks after the 225 characters", {{"name", accents + "  "}}, "Your name: please shorten it to 225 "},
        {"225 emoji, each one character of four bytes", {{"name", emoji}}, ""},
        {"226 emoji", {{"name", emoji + "\xf0\x9f\x98\x80"}}, "Your name: please shorten it to 225 "},
        {"a column counted in bytes, full", {{"name", "Ada"}, {"note", tinyText}}, ""},
        {"a column counted in bytes, one byte more", {{"name", "Ada"}, {"note", tinyText.substr(1) + "\xc3\xa9"}},
            "note: please shorten it to 63 characters or fewer (it has 255)"},
        {"321 characters into the column made for 500", {{"name", "Ada"}, {"message", times("\xc3\xa9", 321)}}, ""},
        {"500 characters of it", {{"name", "Ada"}, {"message", times("\xf0\x9f\x98\x80", 500)}}, ""},
        // latin1 holds a character in one byte: six accents fill six bytes.
        {"a latin1 column, full", {{"name", "Ada"}, {"town", times("\xc3\xa9", 6)}}, ""},
        {"a latin1 column, one character more", {{"name", "Ada"}, {"town", times("\xc3\xa9", 7)}},
            "town: please shorten it to 6 "},
    };
    for (const LengthCase& c : lengths) {
        SCOPED_TRACE(c.name);
        Query("TRUNCATE TABLE short");
        const auto mailFile = File("length.txt");
        std::filesystem::remove(mailFile);
        const Response r = Post(shortBook, c.form, mailFile);
        EXPECT_EQ(r.status, c.refused.empty() ? 303 : 422) << r.body;
        EXPECT_EQ(r.body.find("<li>" + e2e::HtmlText(c.refused)) != std::string::npos, !c.refused.empty()) << r.body;
        EXPECT_EQ(std::filesystem::exists(mailFile), c.refused.empty()) << "mail and database never disagree";
        const Table stored =
            Query("SELECT HEX(name), HEX(note), HEX(message), HEX(CONVERT(town USING utf8mb4)) FROM short");
        EXPECT_EQ(stored.size(), c.refused.empty() ? 1u : 0u);
        if (c.refused.empty()) {
            const std::map<std::string, std::string> sent = Sent(c.form);
            const auto hexOf = [&sent](const char* field) {
                return sent.count(field) ? Hex(sent.at(field)) : std::string();
            };
            EXPECT_EQ(stored, (Table{{hexOf("name"), hexOf("note"), hexOf("message"), hexOf("town")}}))
                << "stored intact";
            const std::string body = ReadMail(e2e::ReadFile(mailFile)).body;
            for (const char* field : {"name", "message"})
                EXPECT_NE(body.find(sent.count(field) ? sent.at(field) : ""), std::string::npos)
                    << "mailed intact: " << field;
        }
        ExpectLog(r.log, "");
    }

    // A database that fails after the post was taken: the mail still goes
    // out, with every value and a note that says why; without mail the
    // visitor gets the failure page. One log line names the failure.
    ScriptSettings down = shortBook;
    down.host = "127.0.0.1:1";
    down.mailVariables = {{"$message", true}};
    ScriptSettings gone = shortBook;
    gone.insertTable = "no_such_table";
    struct DownCase {
        std::string name;
        ScriptSettings settings;
        std::string note; // in the mail; empty: no mail, the failure page
    };
    Query("TRUNCATE TABLE short");
    const DownCase downs[] = {
        {"the server does not answer", down, "the database server could not be reached"},
        {"the table is missing", gone, "the table no_such_table does not exist"},
    };
    for (const DownCase& c : downs) {
        SCOPED_TRACE(c.name);
        const auto mailFile = File("down.txt");
        std::filesystem::remove(mailFile);
        const Response r = Post(c.settings, {{"name", "Ada"}, {"city", "Oslo"}, {"message", "Hello"}}, mailFile);
        EXPECT_EQ(r.headers.at("Location"), "thanks.html");
        const Mail mail = ReadMail(e2e::ReadFile(mailFile));
        EXPECT_TRUE(mail.body.starts_with("This message was not stored in the database: " + c.note + ".")) << mail.body;
        for (const char* line : {"Your name: Ada", "city: Oslo", "Message: Hello"})
            EXPECT_NE(mail.body.find(line), std::string::npos) << line << " in " << mail.body;
        EXPECT_NE(r.log.find("the record was not stored: "), std::string::npos) << r.log;
        ScriptSettings unmailed = c.settings;
        unmailed.sendMail = false;
        EXPECT_EQ(Post(unmailed, {{"name", "Ada"}}).status, 500);
    }
    EXPECT_EQ(Query("SELECT COUNT(*) FROM short"), Table{{"0"}});

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

// What the server lacks, or a post too large for PHP's memory, gives the
// failure page and a log line, never PHP's own error on the page, even where
// display_errors is on.
TEST_F(SafeScripts, NoPhpErrorReachesThePage)
{
    ScriptSettings book = Guestbook(Connected(), "no_mysqli");
    book.displayAll = false;
    ScriptSettings records = Guestbook(Connected(), "no_mysqli");
    records.insertRecord = false;
    ScriptSettings mail = Feedback(ScriptSettings{}, "");
    mail.target = scriptgen::Target::Safe;
    mail.insertRecord = false;
    mail.fieldList.push_back("topic");
    mail.subject = "$topic";
    const std::string huge(5500000, 'x');
    struct Lack {
        std::string name;
        const ScriptSettings& settings;
        std::string method;
        Form form;
        bool noIniFiles; // PHP without the ini files that load mysqli
        int status;
        std::string log;
        std::string ini = "display_errors=1";
    };
    const Lack cases[] = {
        {"no mysqli, a post", book, "POST", {{"name", "Ada"}}, true, 500, "lacks the mysqli extension"},
        {"no mysqli, a visit to the records", records, "GET", {}, true, 500, "lacks the mysqli extension"},
        {"a subject of 5.5 MB", mail, "POST", {{"name", "Ada"}, {"topic", huge}}, false, 303, ""},
        {"ini_set disabled by the host", mail, "POST", {{"name", "Ada"}, {"topic", "Hi"}}, false, 303, "",
            "disable_functions=ini_set"},
    };
    for (const Lack& c : cases) {
        SCOPED_TRACE(c.name);
        const auto mailFile = File("lack.txt");
        std::filesystem::remove(mailFile);
        const Response r = Send(c.settings, c.method, c.form, kSameSite, mailFile,
            {"display_errors=1", "log_errors=1", "error_log=" + File("php.log").string(), "memory_limit=64M", c.ini},
            c.noIniFiles);
        EXPECT_EQ(r.status, c.status) << r.body;
        const std::string phpLog = e2e::ReadFile(File("php.log"));
        ExpectLog(phpLog, c.log);
        for (const char* leak : {"Fatal", "Warning", "Uncaught", ".php", "mysqli"})
            EXPECT_EQ(r.body.find(leak), std::string::npos) << leak << " in " << r.body;
        if (c.status == 303 && c.ini.starts_with("display")) {
            const Mail sent = ReadMail(e2e::ReadFile(mailFile));
            EXPECT_EQ(sent.headers.at("Subject"), std::string(200, 'x') + "\xe2\x80\xa6");
        }
        std::filesystem::remove(File("php.log"));
    }

    // PHP warns of a post beyond its limits before the script starts, where
    // the script cannot keep the warning off the page: the host must set
    // display_errors and display_startup_errors off, as the README says.
    Form many;
    for (int i = 0; i < 1001; ++i)
        many.emplace_back("v" + std::to_string(i), "x");
    many.emplace_back("name", "Ada");
    for (const bool off : {false, true}) {
        SCOPED_TRACE(off ? "display_errors and display_startup_errors off" : "PHP's built-in defaults");
        e2e::CgiRequest request;
        request.body = e2e::EncodeForm(many);
        request.env = kSameSite;
        request.env.emplace_back("REMOTE_ADDR=192.0.2.70");
        request.ini = {off ? "display_errors=0" : "display_errors=1",
            off ? "display_startup_errors=0" : "display_startup_errors=1", "output_buffering=0",
            "sys_temp_dir=" + dir_.path().string()};
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, Script(mail), request);
        EXPECT_EQ(run.body.find("max_input_vars") == std::string::npos, off) << run.body;
        EXPECT_EQ(run.headers.find("X-Frame-Options: DENY") != std::string::npos, off) << run.headers;
    }
}

// A value that MySQL quotes in an error cannot forge lines in the log, nor
// fill it.
TEST_F(SafeScripts, LogLinesCannotBeForged)
{
    Query("DROP TABLE IF EXISTS once; CREATE TABLE once (name VARCHAR(225) UNIQUE, city VARCHAR(225))");
    ScriptSettings once = Guestbook(Connected(), "once");
    once.displayAll = false;
    const std::string forged =
        "Ada\n[08-Dec-2026 12:00:00 UTC] script.php: the owner password is hunter2 " + std::string(100, 'x');
    EXPECT_EQ(Post(once, {{"name", forged}}).status, 200);
    const Response again = Post(once, {{"name", forged}});
    EXPECT_EQ(again.status, 500);
    EXPECT_EQ(std::count(again.log.begin(), again.log.end(), '\n'), 1) << again.log;
    EXPECT_NE(again.log.find("Duplicate entry 'Ada\\n[08-Dec-2026 12:00:00 UTC] script.php: the owner passwor...'"),
        std::string::npos)
        << again.log;
    EXPECT_EQ(again.log.find("hunter2"), std::string::npos) << again.log;
    Query("DROP TABLE once");
}

// At most 5 posts a minute and 20 an hour from one address, a whole /64 for
// IPv6; then 429 and nothing happens. The counts live in the database, or in
// a file for a script without one; where they cannot be kept, posts go on.
TEST_F(SafeScripts, FloodsAreRefused)
{
    Query("CREATE TABLE IF NOT EXISTS floods (name VARCHAR(225), city VARCHAR(225))");
    ScriptSettings stored = Guestbook(Connected(), "floods");
    stored.displayAll = false;
    ScriptSettings mailed = Feedback(ScriptSettings{}, "");
    mailed.target = scriptgen::Target::Safe;
    mailed.insertRecord = false;
    struct Flood {
        std::string name;
        const ScriptSettings& settings;
        std::vector<std::string> first; // where the first 5 posts come from
        std::vector<std::string> sixth; // where the next one comes from
        std::vector<std::string> ini;
        bool refused; // the next one gets 429
        std::string log;
    };
    const auto from = [](const std::string& address) {
        std::vector<std::string> env = kSameSite;
        env.push_back("REMOTE_ADDR=" + address);
        return env;
    };
    const auto proxiedBy = [](const std::string& proxy, const std::string& header, const std::string& visitor) {
        std::vector<std::string> env = kSameSite;
        env.push_back("REMOTE_ADDR=" + proxy);
        env.push_back(header + "=" + visitor);
        return env;
    };
    const auto proxied = [&](const std::string& visitor) {
        return proxiedBy("127.0.0.1", "HTTP_X_FORWARDED_FOR", visitor);
    };
    const auto realIp = [&](const std::string& visitor) { return proxiedBy("10.0.0.1", "HTTP_X_REAL_IP", visitor); };
    // Addresses no other test sends from: the counts of the database are shared.
    const Flood cases[] = {
        {"the database, one address", stored, from("192.0.2.1"), from("192.0.2.1"), {}, true, ""},
        {"the database, another address meanwhile", stored, from("192.0.2.2"), from("192.0.2.3"), {}, false, ""},
        {"a file, one address", mailed, from("192.0.2.4"), from("192.0.2.4"), {}, true, ""},
        {"one /64 of IPv6", stored, from("2001:db8:1:2::1"), from("2001:db8:1:2:ffff::9"), {}, true, ""},
        {"the next /64", stored, from("2001:db8:1:3::1"), from("2001:db8:1:4::1"), {}, false, ""},
        {"visitors behind a proxy, one", stored, proxied("192.0.2.5"), proxied("192.0.2.5"), {}, true, ""},
        {"visitors behind a proxy, another", stored, proxied("192.0.2.6"), proxied("192.0.2.7"), {}, false, ""},
        {"IPv4 handed over in IPv6 by a dual-stack server, one", stored, from("::ffff:192.0.2.30"),
            from("::ffff:192.0.2.30"), {}, true, ""},
        {"IPv4 handed over in IPv6 by a dual-stack server, another", stored, from("::ffff:192.0.2.31"),
            from("::ffff:192.0.2.32"), {}, false, ""},
        {"a proxy that sends X-Real-IP, one", stored, realIp("192.0.2.40"), realIp("192.0.2.40"), {}, true, ""},
        {"a proxy that sends X-Real-IP, another", stored, realIp("192.0.2.41"), realIp("192.0.2.42"), {}, false, ""},
        {"a forwarded address with a port", stored, proxied("198.51.100.9:1234"), proxied("198.51.100.9:5678"), {},
            true, ""},
        {"a forwarded IPv6 address with a port", stored, proxied("[2001:db8:5::1]:443"), proxied("2001:db8:5::2"), {},
            true, ""},
        {"forwarded addresses that cannot be read count as the proxy's", stored,
            proxiedBy("10.9.9.1", "HTTP_X_FORWARDED_FOR", "unknown"),
            proxiedBy("10.9.9.2", "HTTP_X_FORWARDED_FOR", "unknown"), {}, false, ""},
        {"a file that cannot be kept", mailed, from("192.0.2.8"), from("192.0.2.8"),
            {"sys_temp_dir=/nonexistent/folder"}, false,
            "the flood limit cannot keep its counts, so this request goes on"},
    };
    for (const Flood& c : cases) {
        SCOPED_TRACE(c.name);
        Query("TRUNCATE TABLE floods");
        for (int i = 0; i < 5; ++i) {
            const Response r =
                Send(c.settings, "POST", {{"name", "Ada"}, {"email", "a@example.org"}}, c.first, {}, c.ini);
            EXPECT_NE(r.status, 429) << "post " << i;
            ExpectLog(r.log, c.log.empty() && c.settings.sendMail ? "mail() could not hand" : c.log);
        }
        const Response next = Send(c.settings, "POST", {{"name", "Bob"}}, c.sixth, {}, c.ini);
        EXPECT_EQ(next.status, c.refused ? 429 : (c.settings.sendMail ? 303 : 200)) << next.body;
        if (c.refused) {
            const int wait = std::stoi(next.headers.at("Retry-After"));
            EXPECT_TRUE(wait >= 1 && wait <= 60) << wait;
            EXPECT_NE(next.body.find("There were too many requests from your address: please try again in 1 minute."),
                std::string::npos)
                << next.body;
            EXPECT_EQ(next.log, "");
        }
        if (!c.settings.sendMail) {
            EXPECT_EQ(Query("SELECT COUNT(*) FROM floods WHERE name = 'Bob'"), Table{{c.refused ? "0" : "1"}});
        }
    }

    // Counts the database cannot keep let the posts go on, and say so: a user
    // that may not make tables cannot make the table of the counts.
    ScriptSettings rowsOnly = stored;
    rowsOnly.userName = server_.user + "_rows";
    const Response unkept = Send(rowsOnly, "POST", {{"name", "Cy"}}, from("192.0.2.1"));
    EXPECT_EQ(unkept.status, 200);
    ExpectLog(unkept.log, "the flood limit cannot keep its counts");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM floods WHERE name = 'Cy'"), Table{{"1"}});

    // Twenty posts of the last hour, the first fifty minutes ago: the next
    // waits ten minutes for it to drop out.
    Query("INSERT INTO zestrel_counts (visitor, at) SELECT 'c0000232', UNIX_TIMESTAMP() - 3000 + seq FROM "
          "seq_0_to_19");
    const Response hour = Send(stored, "POST", {{"name", "Hal"}}, from("192.0.2.50"));
    EXPECT_EQ(hour.status, 429);
    EXPECT_NE(hour.body.find("please try again in 10 minutes."), std::string::npos) << hour.body;
    EXPECT_NEAR(std::stoi(hour.headers.at("Retry-After")), 600, 2);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM floods WHERE name = 'Hal'"), Table{{"0"}});

    // Wrong sign-ins to the owner's pages count as well.
    ScriptSettings records = Guestbook(Connected(), "floods");
    records.insertRecord = false;
    records.recordsPublic = false;
    std::vector<std::string> guess = Owner("wrong");
    guess.emplace_back("REMOTE_ADDR=192.0.2.20");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Send(records, "GET", {}, guess).status, 401);
    std::vector<std::string> right = Owner();
    right.emplace_back("REMOTE_ADDR=192.0.2.20");
    EXPECT_EQ(Send(records, "GET", {}, right).status, 429);
    // Posts and sign-ins are counted apart: the visitors' posts never lock
    // the owner out, and wrong sign-ins never stop the form.
    EXPECT_NE(Send(stored, "POST", {{"name", "Ida"}}, from("192.0.2.20")).status, 429);
    for (int i = 0; i < 6; ++i)
        Send(stored, "POST", {{"name", "Jo"}}, from("192.0.2.21"));
    right.back() = "REMOTE_ADDR=192.0.2.21";
    EXPECT_EQ(Send(records, "GET", {}, right).status, 200);

    // Sixteen wrong sign-ins at once: each is counted before its password is
    // checked, so no more than the limit are checked at all.
    std::vector<std::string> burst = Owner("wrong");
    burst.emplace_back("REMOTE_ADDR=192.0.2.23");
    e2e::CgiRequest request;
    request.method = "GET";
    request.env = burst;
    const std::filesystem::path script = Script(records);
    std::vector<int> statuses(16);
    std::vector<std::thread> workers;
    workers.reserve(statuses.size());
    for (int& result : statuses)
        workers.emplace_back([&] {
            const std::string headers = e2e::RunCgi(ZESTREL_PHP_CGI, script, request).headers;
            const std::size_t status = headers.find("Status: ");
            result = status == std::string::npos ? 200 : std::stoi(headers.substr(status + 8, 3));
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 401), 5);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 429), 11);

    // A database that is down leaves the counts to the file, so that the
    // owner reaches the self-check; where neither can keep them, no password
    // is checked at all.
    ScriptSettings unreachable = records;
    unreachable.host = "127.0.0.1:1";
    EXPECT_EQ(Send(unreachable, "GET", {}, Owner("wrong")).status, 401);
    for (const std::string& password : {std::string("wrong"), kOwnerPassword}) {
        const Response closed = Send(unreachable, "GET", {}, Owner(password), {}, {"sys_temp_dir=/proc"});
        EXPECT_EQ(closed.status, 503);
        ExpectLog(closed.log, "the flood limit cannot keep its counts, so the owner's pages are closed");
    }
    Query("DROP TABLE floods");
}

// On a shared host every account may write to the temporary folder: the
// file of the counts lives in a folder of the script's own that nobody else
// may enter, and nothing another account puts there is followed or trusted.
TEST_F(SafeScripts, FloodFileTrustsNothingInTheSharedFolder)
{
    ScriptSettings mailed = Feedback(ScriptSettings{}, "");
    mailed.target = scriptgen::Target::Safe;
    mailed.insertRecord = false;
    const std::filesystem::path script = Script(mailed);
    const std::string md5 =
        e2e::Run({ZESTREL_PHP, "-r", "echo md5($argv[1]);", script.string()}, {e2e::PathEntry()}).out;
    const std::filesystem::path shared = dir_.path() / "shared";
    const std::string prefix = (shared / ("zestrel-" + md5 + "-")).string();
    const std::filesystem::path site = File("site.html");
    std::filesystem::create_directories(shared);
    e2e::WriteFile(site, "the site's own page");
    // What another account plants: a folder open to all, of another user
    // where the tests may give it one, a link to a folder of the site's, a
    // FIFO, and a folder where earlier versions kept their file.
    std::filesystem::create_directory(prefix + "planted");
    std::filesystem::permissions(prefix + "planted", std::filesystem::perms::all);
    if (geteuid() == 0) {
        ASSERT_EQ(chown((prefix + "planted").c_str(), 65534, 65534), 0);
    }
    std::filesystem::create_directory_symlink(dir_.path(), prefix + "link");
    ASSERT_EQ(mkfifo((prefix + "fifo").c_str(), 0666), 0);
    std::filesystem::create_directory(shared / ("zestrel-flood-" + md5 + ".json"));

    const std::vector<std::string> ini = {"sys_temp_dir=" + shared.string()};
    std::vector<std::string> from = kSameSite;
    from.emplace_back("REMOTE_ADDR=192.0.2.60");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Send(mailed, "POST", {{"name", "Ada"}}, from, {}, ini).status, 303) << "post " << i;
    EXPECT_EQ(Send(mailed, "POST", {{"name", "Ada"}}, from, {}, ini).status, 429);
    std::vector<std::filesystem::path> own;
    for (const auto& entry : std::filesystem::directory_iterator(shared))
        if (entry.path().string().starts_with(prefix) && !entry.is_symlink() && entry.is_directory() &&
            entry.path().string() != prefix + "planted")
            own.push_back(entry.path());
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(
        std::filesystem::status(own[0]).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);
    EXPECT_EQ(own[0].filename().string().size(), std::string("zestrel-").size() + 32 + 1 + 32) << "a random name";
    EXPECT_EQ(e2e::ReadFile(site), "the site's own page");

    // Inside its own folder too, the counts are kept only in a plain file:
    // a FIFO does not hold the post up, a link is not followed.
    const std::filesystem::path counts = own[0] / "counts.json";
    std::filesystem::remove(counts);
    ASSERT_EQ(mkfifo(counts.c_str(), 0600), 0);
    Response r = Send(mailed, "POST", {{"name", "Ada"}}, from, {}, ini);
    EXPECT_EQ(r.status, 303);
    ExpectLog(r.log, "is not a plain file of this script's user");
    std::filesystem::remove(counts);
    std::filesystem::create_symlink(site, counts);
    r = Send(mailed, "POST", {{"name", "Ada"}}, from, {}, ini);
    EXPECT_EQ(r.status, 303);
    ExpectLog(r.log, "is not a plain file of this script's user");
    EXPECT_EQ(e2e::ReadFile(site), "the site's own page");
}

// A server listening on IPv6 and IPv4 at once ([::]) hands PHP an IPv4
// visitor as ::ffff:a.b.c.d: the limit counts that address, not the /64 all
// of IPv4 shares, and a request from this machine is one from this machine.
TEST_F(SafeScripts, DualStackServerCountsIpv4VisitorsByTheirAddress)
{
    Query("CREATE TABLE IF NOT EXISTS dualstack (name VARCHAR(225), city VARCHAR(225))");
    ScriptSettings book = Guestbook(Connected(), "dualstack");
    book.recordsPublic = false;
    const std::filesystem::path script = Script(book);
    const e2e::PhpServer server(ZESTREL_PHP, "[::]", script.parent_path(), {"sys_temp_dir=" + dir_.path().string()});
    if (server.port() == 0)
        GTEST_SKIP() << "PHP's server cannot listen on [::] here";
    Query("CREATE TABLE IF NOT EXISTS zestrel_counts (visitor VARCHAR(40) NOT NULL, at INT NOT NULL, KEY (visitor, "
          "at), KEY (at)) DEFAULT CHARSET=ascii; DELETE FROM zestrel_counts WHERE visitor IN ('7f000001', "
          "'0000000000000000')");
    const std::string path = "/" + script.filename().string();
    const std::vector<std::string> post = {"Host: shop.test", "Sec-Fetch-Site: same-origin"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(e2e::Http(server.port(), "POST", path, post, "name=Ada").status, 200) << "post " << i;
    EXPECT_EQ(e2e::Http(server.port(), "POST", path, post, "name=Ada").status, 429);
    EXPECT_EQ(Query("SELECT visitor, COUNT(*) FROM zestrel_counts WHERE visitor IN ('7f000001', '0000000000000000') "
                    "GROUP BY visitor"),
        (Table{{"7f000001", "5"}}));
    // The owner, on this machine, over plain HTTP.
    const e2e::HttpResponse owner = e2e::Http(server.port(), "GET", path,
        {"Host: localhost:" + std::to_string(server.port()),
            "Authorization: Basic " + e2e::Base64("owner:" + kOwnerPassword)});
    EXPECT_EQ(owner.status, 200) << owner.body;
    Query("DROP TABLE dualstack");
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
    ASSERT_EQ(OwnerPost(s).status, 200);
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
