// How long one mail takes through the site's SMTP server on loopback: a safe
// script posted through php-cgi sends each post's mail to the test SMTP
// server (STARTTLS with a verified certificate and AUTH PLAIN, or TLS from
// the start), beside the same script handing its mail to mail(). Prints the
// median time PHP spends per post (from its first line to its shutdown) and
// the median of the whole request, php-cgi's start included.
//
// Needs a running test SMTP server: bench/safe_smtp_bench.sh starts one.
//   safe_smtp_bench <server state file> [posts]
#include "phptimer.h"
#include "scriptgen/compiler.h"
#include "support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <server state file> [posts]\n", argv[0]);
        return 2;
    }
    const int posts = argc > 2 ? std::atoi(argv[2]) : 100;
    std::map<std::string, std::string> state = e2e::ReadState(argv[1]);
    if (state["MAIL_DIR"].empty()) {
        std::fprintf(stderr, "no SMTP server recorded in %s\n", argv[1]);
        return 2;
    }
    const e2e::TempDir dir;
    const bench::PhpTimer timer(dir.path());

    scriptgen::ScriptSettings base;
    base.target = scriptgen::Target::Safe;
    base.fieldList = {"name", "email", "message"};
    base.sendMail = true;
    base.recipient = "owner@shop.test";
    base.subject = "Contact";
    base.sender = "$email";
    base.mailVariables = {{"$name", true}, {"$email", true}, {"$message", true}};
    base.successPage = "thanks.html";
    base.failurePage = "sorry.html";
    base.mailFrom = "website@shop.test";
    struct Way {
        const char* name;
        std::optional<scriptgen::SmtpServer> smtp;
    };
    const Way ways[] = {
        {"mail() to a pipe", std::nullopt},
        {"SMTP, STARTTLS",
            scriptgen::SmtpServer{"localhost", std::stoi(state["STARTTLS_PORT"]),
                scriptgen::SmtpServer::Security::StartTls, state["USER"], state["PASSWORD"]}},
        {"SMTP, TLS from the start",
            scriptgen::SmtpServer{"localhost", std::stoi(state["TLS_PORT"]), scriptgen::SmtpServer::Security::Tls,
                state["USER"], state["PASSWORD"]}},
    };
    const std::string body =
        e2e::EncodeForm({{"name", "Ada"}, {"email", "ada@example.org"}, {"message", "Hello from the benchmark."}});
    int post = 0;
    for (const Way& way : ways) {
        scriptgen::ScriptSettings s = base;
        s.smtp = way.smtp;
        const auto script = dir.path() / "mail.php";
        e2e::WriteScript(script, scriptgen::CompileScript(s));
        std::vector<double> inPhp, whole;
        for (int i = 0; i < posts; ++i, ++post) {
            e2e::CgiRequest request;
            request.body = body;
            request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
                "REMOTE_ADDR=10.6." + std::to_string(post / 250) + "." + std::to_string(post % 250 + 1)};
            request.ini = {"sendmail_path=\"sh -c 'cat > /dev/null' sendmail\"", "sys_temp_dir=" + dir.path().string(),
                "openssl.cafile=" + state["CA"], timer.IniLine()};
            const auto start = std::chrono::steady_clock::now();
            const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
            whole.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (run.headers.find("Location: thanks.html") == std::string::npos) {
                std::fprintf(
                    stderr, "%s: post %d failed:\n%s\n%s\n", way.name, i, run.headers.c_str(), run.errors.c_str());
                return 1;
            }
            inPhp.push_back(timer.LastMilliseconds());
        }
        std::printf("%-26s %4d posts: median %6.2f ms in PHP, %6.2f ms per request\n", way.name, posts,
            bench::Median(inPhp), bench::Median(whole));
    }
    return 0;
}
