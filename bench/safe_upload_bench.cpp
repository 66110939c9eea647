// What files cost a safe script posted through php-cgi: a 20 MB file attached
// to the mail through the test SMTP server on loopback (STARTTLS and AUTH
// PLAIN) with memory_limit=16M, and through mail() to a pipe, with PHP's time
// and peak memory; then a small form with a 100 KB file beside the same form
// without one, mailed through mail(), for the extra time a file costs.
//
// Needs a running test SMTP server: bench/safe_upload_bench.sh starts one.
//   safe_upload_bench <server state file> [posts]
#include "phptimer.h"
#include "scriptgen/compiler.h"
#include "support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string Pdf(std::size_t size)
{
    std::string pdf = "%PDF-1.4\n";
    for (std::size_t i = 0; pdf.size() + 6 < size; ++i)
        pdf.push_back(static_cast<char>('0' + i * 7919 % 75));
    return pdf + "\n%%EOF";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <server state file> [posts]\n", argv[0]);
        return 2;
    }
    const int posts = argc > 2 ? std::atoi(argv[2]) : 20;
    std::map<std::string, std::string> state = e2e::ReadState(argv[1]);
    if (state["MAIL_DIR"].empty()) {
        std::fprintf(stderr, "no SMTP server recorded in %s\n", argv[1]);
        return 2;
    }
    const e2e::TempDir dir;
    const bench::PhpTimer timer(dir.path());

    scriptgen::ScriptSettings base;
    base.target = scriptgen::Target::Safe;
    base.fieldList = {"name", "cv"};
    scriptgen::FieldRule cv;
    cv.field = "cv";
    cv.type = "file";
    cv.accept = ".pdf";
    cv.maxBytes = "31457280";
    base.fieldRules = {cv};
    base.uploadFolder = (dir.path() / "kept").string();
    base.sendMail = true;
    base.recipient = "owner@shop.test";
    base.subject = "Application";
    base.mailVariables = {{"$name", true}, {"$cv", true}};
    base.successPage = "thanks.html";
    base.failurePage = "sorry.html";
    base.mailFrom = "website@shop.test";

    struct Run {
        const char* name;
        std::optional<scriptgen::SmtpServer> smtp;
        std::size_t fileSize; // 0: no file
        const char* memoryLimit;
        int posts;
    };
    const scriptgen::SmtpServer smtp{"localhost", std::stoi(state["STARTTLS_PORT"]),
        scriptgen::SmtpServer::Security::StartTls, state["USER"], state["PASSWORD"]};
    const Run runs[] = {
        {"20 MB attached, SMTP", smtp, 20u << 20, "16M", 5},
        {"20 MB attached, mail()", std::nullopt, 20u << 20, "256M", 5},
        {"no file, mail()", std::nullopt, 0, "128M", posts},
        {"100 KB file, mail()", std::nullopt, 100u << 10, "128M", posts},
    };
    int post = 0;
    for (const Run& run : runs) {
        scriptgen::ScriptSettings s = base;
        s.smtp = run.smtp;
        const auto script = dir.path() / "apply.php";
        e2e::WriteScript(script, scriptgen::CompileScript(s));
        std::vector<e2e::Part> parts{{"name", "Ada"}};
        if (run.fileSize > 0)
            parts.push_back({"cv", Pdf(run.fileSize), "cv.pdf", "application/pdf"});
        const std::string body = e2e::EncodeMultipart(parts);
        std::vector<double> inPhp, peak, whole;
        for (int i = 0; i < run.posts; ++i, ++post) {
            e2e::CgiRequest request;
            request.body = body;
            request.contentType = std::string("multipart/form-data; boundary=") + e2e::kBoundary;
            request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
                "REMOTE_ADDR=10.5." + std::to_string(post / 250) + "." + std::to_string(post % 250 + 1)};
            request.ini = {"sendmail_path=\"sh -c 'cat > /dev/null' sendmail\"", "sys_temp_dir=" + dir.path().string(),
                "upload_tmp_dir=" + dir.path().string(), "openssl.cafile=" + state["CA"], "upload_max_filesize=32M",
                "post_max_size=40M", std::string("memory_limit=") + run.memoryLimit, timer.IniLine()};
            const auto start = std::chrono::steady_clock::now();
            const e2e::CgiResponse response = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
            whole.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (response.headers.find("Location: thanks.html") == std::string::npos) {
                std::fprintf(stderr, "%s: post %d failed:\n%s\n%s\n", run.name, i, response.headers.c_str(),
                    response.errors.c_str());
                return 1;
            }
            inPhp.push_back(timer.LastMilliseconds());
            peak.push_back(timer.LastPeakMegabytes());
        }
        std::printf("%-24s memory_limit=%-4s %3d posts: median %8.2f ms in PHP, %8.2f ms per request, peak %6.1f MB\n",
            run.name, run.memoryLimit, run.posts, bench::Median(inPhp), bench::Median(whole), bench::Median(peak));
    }
    return 0;
}
