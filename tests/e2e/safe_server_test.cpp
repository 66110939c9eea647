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
    {"Content-Security-Policy", "default-src 'none'; frame-ancestors 'none'; form-action 'self'; base-uri 'none'"},
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

private:
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

    const Response created = OwnerPost(create);
    EXPECT_EQ(created.status, 200);
    EXPECT_EQ(created.log, "");
    EXPECT_NE(created.body.find("<p>The table made is ready.</p>"), std::string::npos) << created.body;
    EXPECT_EQ(Query("SELECT COLUMN_NAME, COLUMN_TYPE, EXTRA, CHARACTER_SET_NAME FROM information_schema.COLUMNS "
                    "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'made' ORDER BY ORDINAL_POSITION"),
        (Table{{"name", "varchar(225)", "", "utf8mb4"}, {"email", "varchar(225)", "", "utf8mb4"},
            {"city", "varchar(225)", "", "utf8mb4"}, {"first name", "varchar(225)", "", "utf8mb4"},
            {"interests", "varchar(225)", "", "utf8mb4"}, {"id", "int(11)", "auto_increment", "NULL"}}));
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
                body += item.text.substr(1) + ": " + sent[item.text.substr(1)] + "\r\n";
        EXPECT_EQ(mail.body, body) << message;
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
    EXPECT_NE(owner.body.find("<tr><td>Ada</td><td>London</td></tr>"), std::string::npos) << owner.body;
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

    // A value longer than its column is refused, never cut, also on a server
    // whose own mode would cut it with a warning, as the test server's does.
    ASSERT_EQ(OwnerPost(CreateTable(Connected(), "short")).status, 200);
    Query("ALTER TABLE short ADD COLUMN note TINYTEXT");
    ScriptSettings shortBook = Guestbook(Connected(), "short");
    shortBook.displayAll = false;
    shortBook.fieldList.push_back("note");
    shortBook.insertFields.push_back("note");
    shortBook.insertValues.push_back("$note");
    shortBook.sendMail = true;
    shortBook.recipient = "owner@shop.test";
    shortBook.subject = "Guest";
    shortBook.mailVariables = {{"$name", true}};
    shortBook.successPage = "thanks.html";
    shortBook.failurePage = "sorry.html";
    std::string accents;
    for (int i = 0; i < 225; ++i)
        accents += "\xc3\xa9";
    const std::string tinyText(255, 'x'); // TINYTEXT holds 255 bytes
    struct LengthCase {
        std::string name;
        Form form;
        bool taken;
    };
    const LengthCase lengths[] = {
        {"225 characters of two bytes", {{"name", accents}, {"city", "Oslo"}}, true},
        {"one character more", {{"name", accents + "x"}, {"city", "Oslo"}}, false},
        // MySQL would cut blanks at the end without a word, even in strict mode.
        {"blanks after the 225 characters", {{"name", accents + "  "}, {"city", "Oslo"}}, false},
        {"a column counted in bytes, full", {{"name", "Ada"}, {"note", tinyText}}, true},
        {"a column counted in bytes, one byte more", {{"name", "Ada"}, {"note", tinyText.substr(1) + "\xc3\xa9"}},
            false},
    };
    for (const LengthCase& c : lengths) {
        SCOPED_TRACE(c.name);
        Query("TRUNCATE TABLE short");
        const auto mailFile = File("length.txt");
        std::filesystem::remove(mailFile);
        const Response r = Post(shortBook, c.form, mailFile);
        EXPECT_EQ(r.headers.at("Location"), c.taken ? "thanks.html" : "sorry.html");
        EXPECT_EQ(std::filesystem::exists(mailFile), c.taken) << "mail and database never disagree";
        EXPECT_EQ(Query("SELECT COUNT(*) FROM short"), Table{{c.taken ? "1" : "0"}});
        ExpectLog(r.log, c.taken ? "" : "the post was refused: too long for the column of ");
    }

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
    };
    const Lack cases[] = {
        {"no mysqli, a post", book, "POST", {{"name", "Ada"}}, true, 500, "lacks the mysqli extension"},
        {"no mysqli, a visit to the records", records, "GET", {}, true, 500, "lacks the mysqli extension"},
        {"a subject of 5.5 MB", mail, "POST", {{"name", "Ada"}, {"topic", huge}}, false, 303, ""},
    };
    for (const Lack& c : cases) {
        SCOPED_TRACE(c.name);
        const auto mailFile = File("lack.txt");
        std::filesystem::remove(mailFile);
        const Response r = Send(c.settings, c.method, c.form, kSameSite, mailFile,
            {"display_errors=1", "log_errors=1", "error_log=" + File("php.log").string(), "memory_limit=64M"},
            c.noIniFiles);
        EXPECT_EQ(r.status, c.status) << r.body;
        const std::string phpLog = e2e::ReadFile(File("php.log"));
        ExpectLog(phpLog, c.log);
        for (const char* leak : {"Fatal", "Warning", "Uncaught", ".php", "mysqli"})
            EXPECT_EQ(r.body.find(leak), std::string::npos) << leak << " in " << r.body;
        if (c.status == 303) {
            const Mail sent = ReadMail(e2e::ReadFile(mailFile));
            EXPECT_EQ(sent.headers.at("Subject"), std::string(200, 'x') + "\xe2\x80\xa6");
        }
        std::filesystem::remove(File("php.log"));
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
    const auto proxied = [](const std::string& visitor) {
        std::vector<std::string> env = kSameSite;
        env.emplace_back("REMOTE_ADDR=127.0.0.1");
        env.push_back("HTTP_X_FORWARDED_FOR=" + visitor);
        return env;
    };
    // Addresses no other test sends from: the counts of the database are shared.
    const Flood cases[] = {
        {"the database, one address", stored, from("192.0.2.1"), from("192.0.2.1"), {}, true, ""},
        {"the database, another address meanwhile", stored, from("192.0.2.2"), from("192.0.2.3"), {}, false, ""},
        {"a file, one address", mailed, from("192.0.2.4"), from("192.0.2.4"), {}, true, ""},
        {"one /64 of IPv6", stored, from("2001:db8:1:2::1"), from("2001:db8:1:2:ffff::9"), {}, true, ""},
        {"the next /64", stored, from("2001:db8:1:3::1"), from("2001:db8:1:4::1"), {}, false, ""},
        {"visitors behind a proxy, one", stored, proxied("192.0.2.5"), proxied("192.0.2.5"), {}, true, ""},
        {"visitors behind a proxy, another", stored, proxied("192.0.2.6"), proxied("192.0.2.7"), {}, false, ""},
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
    Query("INSERT INTO zestrel_flood (visitor, at) SELECT 'c0000232', UNIX_TIMESTAMP() - 3000 + seq FROM "
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
    Query("DROP TABLE floods");
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
