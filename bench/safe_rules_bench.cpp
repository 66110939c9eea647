// The cost of the form's own rules on the server: a mail-only safe script for
// a form of 100 fields, each with a rule (required text with lengths, e-mail,
// number with a range and steps, date range, choice, pattern), posted valid
// values through php-cgi, beside the same script without rules. Prints the
// median time PHP spends running each script per post (from PHP's first line
// to its shutdown, so without starting the process), and the difference.
//   safe_rules_bench [posts]
#include "phptimer.h"
#include "scriptgen/compiler.h"
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFields = 100;

scriptgen::ScriptSettings Form(bool withRules)
{
    scriptgen::ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.subject = "A long form";
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    for (int i = 0; i < kFields; ++i) {
        const std::string name = "field" + std::to_string(i);
        s.fieldList.push_back(name);
        s.mailVariables.push_back({"$" + name, true});
        scriptgen::FieldRule r;
        r.field = name;
        r.label = "Field number " + std::to_string(i);
        switch (i % 6) {
        case 0:
            r.required = true;
            r.minLength = "2";
            r.maxLength = "100";
            break;
        case 1:
            r.type = "email";
            r.required = true;
            break;
        case 2:
            r.type = "number";
            r.min = "0";
            r.max = "1000";
            r.step = "0.01";
            break;
        case 3:
            r.type = "date";
            r.min = "2024-01-01";
            r.max = "2030-12-31";
            break;
        case 4:
            r.type = "select";
            r.choices = {"small", "medium", "large"};
            r.required = true;
            break;
        default:
            r.pattern = "[A-Z]{2}[0-9]{2} ?[0-9]{4}";
        }
        if (withRules)
            s.fieldRules.push_back(r);
    }
    return s;
}

e2e::Form ValidPost()
{
    const char* values[] = {"Ada Lovelace", "ada@example.org", "123.45", "2026-12-08", "medium", "AB12 3456"};
    e2e::Form form;
    for (int i = 0; i < kFields; ++i)
        form.emplace_back("field" + std::to_string(i), values[i % 6]);
    return form;
}

} // namespace

int main(int argc, char** argv)
{
    const int posts = argc > 1 ? std::atoi(argv[1]) : 200;
    const e2e::TempDir dir;
    const bench::PhpTimer timer(dir.path());
    const std::string body = e2e::EncodeForm(ValidPost());
    std::vector<double> medians;
    for (const bool withRules : {false, true}) {
        const auto script = dir.path() / (withRules ? "rules.php" : "plain.php");
        e2e::WriteScript(script, scriptgen::CompileScript(Form(withRules)));
        std::vector<double> ms;
        for (int i = 0; i < posts; ++i) {
            e2e::CgiRequest request;
            request.body = body;
            request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
                "REMOTE_ADDR=10.7." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1)};
            request.ini = {"sendmail_path=\"cat > /dev/null\"", "sys_temp_dir=" + dir.path().string(), timer.IniLine()};
            const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
            if (run.headers.find("Location: thanks.html") == std::string::npos) {
                std::fprintf(stderr, "post %d was not taken:\n%s\n%s\n", i, run.headers.c_str(), run.body.c_str());
                return 1;
            }
            ms.push_back(timer.LastMilliseconds());
        }
        medians.push_back(bench::Median(ms));
        std::printf("%-26s %4d posts, median %.3f ms per post in PHP\n",
            withRules ? "100 fields with rules:" : "100 fields without rules:", posts, medians.back());
    }
    std::printf("the rules add %.3f ms per post\n", medians[1] - medians[0]);
    return 0;
}
