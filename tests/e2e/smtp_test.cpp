// Mail through a real SMTP server on loopback (Debian's aiosmtpd, which CTest
// starts and stops as it does the MariaDB server): STARTTLS and TLS from the
// start with a certificate of the test's own CA, which PHP trusts through
// openssl.cafile; AUTH PLAIN and LOGIN; and every failure, which must give
// the failure page and one log line with the server's reply.
#include "support.h"

#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using scriptgen::ScriptSettings;
using scriptgen::SmtpServer;
using Security = SmtpServer::Security;

// What one post did: the answer, the log, and what the server recorded of the
// connections it made.
struct Sent {
    int status = 0;
    std::string location;
    std::string log;
    double seconds = 0;
    std::string body;
    std::string transcript; // of every connection the post made, in order
    std::vector<std::string> messages; // as the server stored them, after DATA
    std::vector<std::string> envelopes;
};

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

// A port of loopback where nothing listens.
int ClosedPort()
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    const bool bound = bind(sock, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size) == 0;
    close(sock);
    return bound ? ntohs(address.sin_port) : 1;
}

class Smtp : public testing::Test {
protected:
    void SetUp() override
    {
        state_ = e2e::ReadState(ZESTREL_SMTP_STATE_FILE);
        ASSERT_FALSE(state_["MAIL_DIR"].empty())
            << "no SMTP server recorded in " ZESTREL_SMTP_STATE_FILE "; run the tests through ctest, which starts it";
    }

    // A contact form whose mail goes through the listener's port.
    ScriptSettings Settings(const std::string& listener, Security security, const std::string& host = "localhost")
    {
        ScriptSettings s;
        s.target = scriptgen::Target::Safe;
        s.fieldList = {"name", "email", "subject", "message"};
        s.sendMail = true;
        s.recipient = "owner@shop.test, sales@shop.test";
        s.subject = "$subject";
        s.sender = "$email";
        s.mailVariables = {{"$name", true}, {"$email", true}, {"$subject", false}, {"$message", true}};
        scriptgen::FieldRule name;
        name.field = "name";
        name.label = "Your name";
        s.fieldRules = {name};
        s.successPage = "thanks.html";
        s.failurePage = "sorry.html";
        s.mailFrom = "website@shop.test";
        s.smtp = SmtpServer{host, std::stoi(state_[listener + "_PORT"]), security, state_["USER"], state_["PASSWORD"]};
        return s;
    }

    const std::string& Password() { return state_["PASSWORD"]; }

    // Posts the form to the compiled script; `ini` comes after the test's own
    // PHP settings, and wins over them.
    Sent Post(const ScriptSettings& settings, const e2e::Form& form, const std::vector<std::string>& ini = {},
        const std::vector<std::string>& env = {})
    {
        return Post(scriptgen::CompileScript(settings), form, ini, env);
    }

    Sent Post(const scriptgen::Lines& lines, const e2e::Form& form, const std::vector<std::string>& ini,
        const std::vector<std::string>& env = {})
    {
        const std::filesystem::path script = dir_.path() / ("mail" + std::to_string(++posts_) + ".php");
        e2e::WriteScript(script, lines);
        const std::filesystem::path mail = state_["MAIL_DIR"];
        const std::set<std::filesystem::path> before = Files(mail);

        e2e::CgiRequest request;
        request.body = e2e::EncodeForm(form);
        request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
            "REMOTE_ADDR=10.8." + std::to_string(posts_ / 250) + "." + std::to_string(posts_ % 250 + 1)};
        request.env.insert(request.env.end(), env.begin(), env.end());
        request.ini = {
            "openssl.cafile=" + state_["CA"], "sys_temp_dir=" + dir_.path().string(), "sendmail_path=\"exit 1\""};
        request.ini.insert(request.ini.end(), ini.begin(), ini.end());
        const auto start = std::chrono::steady_clock::now();
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
        Sent sent;
        sent.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        sent.body = run.body;
        sent.log = run.errors;
        const std::size_t status = run.headers.find("Status: ");
        sent.status = status == std::string::npos ? 200 : std::stoi(run.headers.substr(status + 8, 3));
        const std::size_t location = run.headers.find("Location: ");
        if (location != std::string::npos)
            sent.location = run.headers.substr(location + 10, run.headers.find('\r', location) - location - 10);

        // The server writes what crossed each connection as it goes, and
        // ends a transcript once the connection has closed.
        for (const std::filesystem::path& file : Files(mail)) {
            if (before.count(file) != 0)
                continue;
            const std::string name = file.filename().string();
            if (file.extension() == ".transcript") {
                std::string text = e2e::ReadFile(file);
                for (int wait = 0; !text.ends_with("* CLOSED\r\n") && wait < 500; ++wait) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    text = e2e::ReadFile(file);
                }
                sent.transcript += text;
            } else if (file.extension() == ".eml") {
                sent.messages.push_back(e2e::ReadFile(file));
            } else if (file.extension() == ".envelope") {
                sent.envelopes.push_back(e2e::ReadFile(file));
            }
        }
        return sent;
    }

    // The message decoded: its headers by name, then its text.
    std::map<std::string, std::string> Decoded(const std::string& message, std::string& body)
    {
        // The reader takes a message as mail() hands it on, with a line
        // break of its own at the end.
        const e2e::ProcessResult read =
            e2e::Run({ZESTREL_PHP, ZESTREL_READ_MAIL}, {e2e::PathEntry()}, message + "\r\n");
        EXPECT_EQ(read.err, "");
        std::map<std::string, std::string> headers;
        std::size_t at = 0;
        for (std::size_t end; (end = read.out.find('\n', at)) != at && end != std::string::npos; at = end + 1) {
            const std::string line = read.out.substr(at, end - at);
            headers[line.substr(0, line.find(": "))] = line.substr(line.find(": ") + 2);
        }
        body = read.out.substr(at + 1);
        return headers;
    }

private:
    static std::set<std::filesystem::path> Files(const std::filesystem::path& folder)
    {
        std::set<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            files.insert(entry.path());
        return files;
    }

    std::map<std::string, std::string> state_;
    e2e::TempDir dir_;
    int posts_ = 0;
};

const std::string kSubject = "R\xc3\xa9servation \xe2\x80\x94 caf\xc3\xa9 \xe2\x98\x95 n\xc2\xb0 42";
const std::string kMessage = "First line\r\n.\r\nFrom here on, a line that mbox readers mark\r\n..two dots\r\n"
                             ".a dot first\r\nZo\xc3\xab \xf0\x9f\x98\x80";

std::string LongMessage()
{
    std::string text;
    for (int i = 1; i <= 10000; ++i)
        text += "Line " + std::to_string(i) + (i % 1000 == 0 ? "\r\n." : "") + "\r\n";
    return text;
}

TEST_F(Smtp, MailArrivesExactlyThroughEachKindOfServer)
{
    struct DeliveryCase {
        const char* name;
        const char* listener;
        Security security;
        const char* host;
        std::string message;
        const char* signIn; // the AUTH command the server saw
    };
    const DeliveryCase cases[] = {
        {"STARTTLS on the submission port, AUTH PLAIN", "STARTTLS", Security::StartTls, "localhost", kMessage,
            "C: AUTH PLAIN "},
        {"TLS from the start", "TLS", Security::Tls, "localhost", kMessage, "C: AUTH PLAIN "},
        {"TLS from the start to an address, AUTH LOGIN only", "LOGIN", Security::Tls, "127.0.0.1", kMessage,
            "C: AUTH LOGIN\r\n"},
        {"no encryption, to the same machine", "NOTLS", Security::None, "127.0.0.1", kMessage, "C: AUTH PLAIN "},
        {"a message of 10,000 lines", "STARTTLS", Security::StartTls, "localhost", LongMessage(), "C: AUTH PLAIN "},
    };
    for (const DeliveryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Sent sent = Post(Settings(c.listener, c.security, c.host),
            {{"name", "Zo\xc3\xab"}, {"email", "ada@example.org"}, {"subject", kSubject}, {"message", c.message}});
        EXPECT_EQ(sent.status, 303);
        EXPECT_EQ(sent.location, "thanks.html");
        EXPECT_EQ(sent.log, "");
        ASSERT_EQ(sent.messages.size(), 1u) << sent.transcript;
        EXPECT_EQ(sent.envelopes,
            std::vector<std::string>{
                "MAIL FROM:<website@shop.test>\nRCPT TO:<owner@shop.test>\nRCPT TO:<sales@shop.test>\n"});

        // Every line ends in CR LF and fits the lengths mail allows.
        const std::string& message = sent.messages.front();
        EXPECT_EQ(Count(message, "\n"), Count(message, "\r\n"));
        EXPECT_EQ(Count(message, "\r"), Count(message, "\r\n"));
        std::size_t longest = 0;
        for (std::size_t at = 0, end; (end = message.find("\r\n", at)) != std::string::npos; at = end + 2)
            longest = std::max(longest, end - at);
        EXPECT_LE(longest, 78u);

        std::string body;
        const std::map<std::string, std::string> headers = Decoded(message, body);
        EXPECT_EQ(headers.at("From"), "website@shop.test");
        EXPECT_EQ(headers.at("Reply-To"), "ada@example.org");
        EXPECT_EQ(headers.at("To"), "owner@shop.test, sales@shop.test");
        EXPECT_EQ(headers.at("Subject"), kSubject);
        EXPECT_TRUE(headers.count("Date") == 1 && headers.at("Date").size() >= 29) << message.substr(0, 300);
        const std::string id = headers.count("Message-ID") ? headers.at("Message-ID") : "";
        EXPECT_TRUE(id.size() == 44 && id.starts_with("<") && id.ends_with("@shop.test>")) << id;
        EXPECT_EQ(
            body, "Your name: Zo\xc3\xab\r\nemail: ada@example.org\r\nmessage: " + e2e::MailValue(c.message) + "\r\n");

        // What crossed the wire: encryption before the account, the greeting
        // again after STARTTLS, the sign-in the server offers, and a goodbye.
        const std::string& t = sent.transcript;
        const std::size_t tls = t.find("* TLS STARTED TLSv1.");
        const std::size_t auth = t.find(c.signIn);
        ASSERT_NE(auth, std::string::npos) << t;
        if (c.security == Security::None) {
            EXPECT_EQ(tls, std::string::npos) << t;
        } else {
            ASSERT_NE(tls, std::string::npos) << t;
            EXPECT_LT(tls, auth) << t;
        }
        if (c.security == Security::StartTls) {
            EXPECT_LT(t.find("C: STARTTLS\r\n"), tls) << t;
            EXPECT_EQ(Count(t, "C: EHLO "), 2u) << t;
            EXPECT_GT(t.rfind("C: EHLO "), tls) << t;
        }
        EXPECT_NE(t.find("C: QUIT\r\nS: 221"), std::string::npos) << t;
    }
}

// The owner's test mail from the self-check goes through the server as the
// form's mail does; the page shows the conversation, but no password in any
// form the sign-in sent it.
TEST_F(Smtp, TheSelfCheckShowsTheTestMailsConversationWithoutThePassword)
{
    for (const char* listener : {"STARTTLS", "LOGIN"}) {
        SCOPED_TRACE(listener);
        ScriptSettings s = Settings(listener, std::string(listener) == "LOGIN" ? Security::Tls : Security::StartTls);
        s.ownerPassword = "correct horse battery";
        const Sent sent = Post(s, {{"zestrel_test_mail", "1"}}, {},
            {"QUERY_STRING=check", "HTTPS=on", "HTTP_AUTHORIZATION=Basic " + e2e::Base64("owner:" + s.ownerPassword)});
        EXPECT_EQ(sent.status, 200);
        ASSERT_EQ(sent.messages.size(), 1U) << sent.body;
        EXPECT_NE(sent.body.find("S: 235 "), std::string::npos) << sent.body;
        for (const std::string& secret : {Password(), e2e::Base64(Password()),
                 e2e::Base64(std::string(1, '\0') + s.smtp->userName + '\0' + Password())})
            EXPECT_EQ(sent.body.find(secret), std::string::npos) << secret << "\n" << sent.body;
    }
}

TEST_F(Smtp, EveryFailureGivesTheFailurePageAndOneLogLine)
{
    struct FailureCase {
        const char* name;
        std::function<ScriptSettings()> settings;
        std::string logged; // a part of the one log line
        bool passwordSent; // whether the server saw a sign-in at all
    };
    const int closed = ClosedPort();
    const FailureCase cases[] = {
        {"a wrong password",
            [&] {
                ScriptSettings s = Settings("STARTTLS", Security::StartTls);
                s.smtp->password = "not-the-password";
                return s;
            },
            "the mail server answered \"535 5.7.8 Authentication credentials invalid\" to AUTH PLAIN", true},
        {"a closed port",
            [&] {
                ScriptSettings s = Settings("STARTTLS", Security::StartTls);
                s.smtp->port = closed;
                return s;
            },
            "cannot reach the mail server localhost:" + std::to_string(closed) + ": Connection refused", false},
        {"a server without STARTTLS", [&] { return Settings("NOTLS", Security::StartTls); },
            "offers no STARTTLS, so nothing was sent", false},
        {"an untrusted certificate", [&] { return Settings("UNTRUSTED", Security::StartTls); },
            "TLS with the mail server localhost:", false},
        {"a trusted certificate for another name", [&] { return Settings("OTHERNAME", Security::StartTls); },
            "TLS with the mail server localhost:", false},
        {"TLS from the start to a server that starts in plain text",
            [&] { return Settings("STARTTLS", Security::Tls); }, "cannot reach the mail server localhost:", false},
        {"a recipient the server defers",
            [&] {
                ScriptSettings s = Settings("STARTTLS", Security::StartTls);
                s.recipient = "owner@shop.test, deferred@shop.test";
                return s;
            },
            "the mail server answered \"450 4.2.1 Mailbox busy, try again later\" to RCPT TO:<deferred@shop.test>",
            true},
        {"plain text slipped in with the 220 to STARTTLS", [&] { return Settings("INJECT", Security::StartTls); },
            "sent more than its 220 to STARTTLS", false},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ScriptSettings settings = c.settings();
        const Sent sent =
            Post(settings, {{"name", "Ada"}, {"email", "ada@example.org"}, {"subject", "Hi"}, {"message", "x"}});
        EXPECT_EQ(sent.status, 303);
        EXPECT_EQ(sent.location, "sorry.html");
        EXPECT_EQ(Count(sent.log, "\n"), 1u) << sent.log;
        EXPECT_NE(sent.log.find(c.logged), std::string::npos) << sent.log;
        EXPECT_EQ(sent.log.find(settings.smtp->password), std::string::npos) << sent.log;
        EXPECT_TRUE(sent.messages.empty());
        EXPECT_EQ(sent.transcript.find("C: AUTH") != std::string::npos, c.passwordSent) << sent.transcript;
        // Well within the 10 seconds allowed for connecting.
        EXPECT_LT(sent.seconds, 10.0);
    }
}

// A script asks PHP only for what its way of delivery needs, and says in the
// log what is missing: a PHP without mail() still sends through the server,
// one that may not open connections still hands mail to mail().
TEST_F(Smtp, EachScriptAsksOnlyForWhatItsDeliveryNeeds)
{
    struct Need {
        const char* name;
        std::optional<Security> security; // none: PHP's mail()
        bool sendMail;
        std::string disabled; // PHP's disable_functions
        std::string location; // empty: not posted
        std::string logged;
        bool carriesClient;
        bool asksForConnections;
        bool asksForOpenssl;
    };
    const Need needs[] = {
        {"mail() where PHP may not open connections", std::nullopt, true, "stream_socket_client", "thanks.html", "",
            false, false, false},
        {"STARTTLS where PHP has no mail()", Security::StartTls, true, "mail", "thanks.html", "", true, true, true},
        {"TLS where PHP may not open connections", Security::Tls, true, "stream_socket_client", "sorry.html",
            "stream_socket_client is in disable_functions", true, true, true},
        {"no encryption to this machine", Security::None, true, "mail", "thanks.html", "", true, true, false},
        {"a server kept for a script that mails nothing", Security::StartTls, false, "", "", "", false, false, false},
    };
    for (const Need& n : needs) {
        SCOPED_TRACE(n.name);
        ScriptSettings s = Settings(n.security == Security::None ? "NOTLS"
                : n.security == Security::Tls                    ? "TLS"
                                                                 : "STARTTLS",
            n.security.value_or(Security::StartTls));
        if (!n.security)
            s.smtp.reset();
        else
            s.smtp->security = *n.security;
        s.sendMail = n.sendMail;
        std::string text;
        for (const std::string& line : scriptgen::CompileScript(s))
            text += line + "\n";
        EXPECT_EQ(text.find("function zestrel_smtp_send") != std::string::npos, n.carriesClient);
        EXPECT_EQ(text.find("function_exists('stream_socket_client')") != std::string::npos, n.asksForConnections);
        EXPECT_EQ(text.find("extension_loaded('openssl')") != std::string::npos, n.asksForOpenssl);
        if (n.location.empty())
            continue;
        const Sent sent = Post(s, {{"name", "Ada"}, {"email", "ada@example.org"}, {"subject", "Hi"}, {"message", "x"}},
            {"sendmail_path=\"sh -c 'cat > /dev/null' sendmail\"", "disable_functions=" + n.disabled});
        EXPECT_EQ(sent.location, n.location) << sent.log;
        EXPECT_EQ(Count(sent.log, "\n"), n.logged.empty() ? 0u : 1u) << sent.log;
        EXPECT_NE(sent.log.find(n.logged), std::string::npos) << sent.log;
        EXPECT_EQ(sent.messages.size(), n.security && n.location == "thanks.html" ? 1u : 0u);
    }
}

// A server that takes the connection and never answers: the script gives up
// after its reply timeout (shortened here from the 30 seconds it is written
// with), not after PHP's own default_socket_timeout.
TEST_F(Smtp, ASilentServerGetsTheFailurePageInTime)
{
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    // Listening without accepting: the kernel completes the connection and
    // nothing is ever said on it.
    ASSERT_TRUE(bind(silent, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(silent, 4) == 0 &&
        getsockname(silent, reinterpret_cast<sockaddr*>(&address), &size) == 0);
    ScriptSettings s = Settings("STARTTLS", Security::StartTls);
    s.smtp->port = ntohs(address.sin_port);
    scriptgen::Lines lines = scriptgen::CompileScript(s);
    int written = 0;
    for (std::string& line : lines) {
        if (line == "const ZESTREL_SMTP_CONNECT_SECONDS = 10;")
            ++written;
        if (line == "const ZESTREL_SMTP_REPLY_SECONDS = 30;") {
            line = "const ZESTREL_SMTP_REPLY_SECONDS = 2;";
            ++written;
        }
    }
    ASSERT_EQ(written, 2) << "the timeouts the help documents, 10 and 30 seconds";
    const Sent sent = Post(lines, {{"name", "Ada"}, {"email", "ada@example.org"}, {"subject", "Hi"}, {"message", "x"}},
        {"default_socket_timeout=60"});
    close(silent);
    EXPECT_EQ(sent.location, "sorry.html");
    EXPECT_NE(sent.log.find("the mail server gave no answer within 2 seconds after the connection"), std::string::npos)
        << sent.log;
    EXPECT_GE(sent.seconds, 2.0);
    EXPECT_LT(sent.seconds, 10.0);
}

} // namespace
