#include "rulesfixture.h"

#include "scriptgen/compiler.h"

namespace e2e {

scriptgen::ScriptSettings WithRule(const scriptgen::FieldRule& rule)
{
    scriptgen::ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.fieldList = {"f", "g"};
    s.fieldRules = {rule};
    s.fieldRules[0].field = "f";
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.subject = "Rules";
    s.mailVariables = {{"$f", true}, {"$g", true}};
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    return s;
}

Posted RulesTest::Post(const scriptgen::ScriptSettings& settings, const Form& form)
{
    const std::filesystem::path script = dir_.path() / ("rules" + std::to_string(++count_) + ".php");
    WriteScript(script, scriptgen::CompileScript(settings));
    const std::filesystem::path mail = dir_.path() / "mail.txt";
    std::filesystem::remove(mail);
    CgiRequest request;
    Form sent = form;
    sent.emplace_back("g", "1");
    request.body = EncodeForm(sent);
    // A fresh address for each post keeps the flood limit out of the way.
    request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin", "HTTP_REFERER=https://shop.test/form.html",
        "REMOTE_ADDR=10.9." + std::to_string(count_ / 250) + "." + std::to_string(count_ % 250 + 1)};
    request.ini = {"sendmail_path=\"cat > '" + mail.string() + "'\"", "sys_temp_dir=" + dir_.path().string()};
    const CgiResponse run = RunCgi(ZESTREL_PHP_CGI, script, request);
    Posted posted;
    posted.body = run.body;
    posted.headers = run.headers;
    posted.errors = run.errors;
    const std::size_t status = run.headers.find("Status: ");
    posted.status = status == std::string::npos ? 200 : std::stoi(run.headers.substr(status + 8, 3));
    posted.mailed = std::filesystem::exists(mail);
    return posted;
}

} // namespace e2e
