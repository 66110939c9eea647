// The strongest check of the form's rules: Debian's Chromium, headless, is
// given the same control and the same value, and its constraint validation
// must reach the safe script's verdict on what that browser would post.
// Cases the browser changes before posting (a number it cleans, a text it
// cuts while typing) are not compared: no browser would post them.
#include "rulesfixture.h"
#include "support.h"

#include "scriptgen/compiler.h"
#include "scriptgen/safe/check.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using scriptgen::FieldRule;

// The attribute, left out when empty unless `always`.
std::string Attribute(const std::string& name, const std::string& value, bool always = false)
{
    return value.empty() && !always ? std::string() : " " + name + "=\"" + e2e::HtmlText(value) + "\"";
}

// The markup of the control (or controls) that the rule was read from.
std::string ControlHtml(const FieldRule& r)
{
    const bool list = r.multiple && (r.type == "select" || r.type == "checkbox");
    const std::string name = Attribute("name", list ? "f[]" : "f");
    const std::string required = r.required ? " required" : "";
    std::string html;
    if (r.type == "select") {
        html = "<select" + name + required + (r.multiple ? " multiple" : "") + ">";
        for (const std::string& choice : r.choices) {
            html += "<option" + Attribute("value", choice, true) + ">" + e2e::HtmlText(choice) + "</option>";
        }
        return html + "</select>";
    }
    if (r.type == "radio" || r.type == "checkbox") {
        for (const std::string& choice : r.choices) {
            html.append("<input").append(Attribute("type", r.type)).append(name).append(required);
            html.append(Attribute("value", choice, true)).append(">");
        }
        return html;
    }
    const std::string lengths = Attribute("minlength", r.minLength) + Attribute("maxlength", r.maxLength);
    if (r.type == "textarea") {
        return "<textarea" + name + required + lengths + "></textarea>";
    }
    return "<input" + Attribute("type", r.type) + name + required + lengths + Attribute("pattern", r.pattern) +
        Attribute("min", r.min) + Attribute("max", r.max) + Attribute("step", r.step) +
        (r.multiple ? " multiple" : "") + ">";
}

// A rule, how the values reach the control, and the values tried with it:
// one value for a text-like control, the chosen ones for choices.
struct Row {
    std::function<void(FieldRule&)> rule;
    std::vector<std::vector<std::string>> values;
    bool typed = false; // typed as keyboard input, which lengths need: a script's value is never too short
};

const std::string kEmoji = "\xf0\x9f\x98\x80";

template <typename... Setters> std::function<void(FieldRule&)> Set(Setters... setters)
{
    return [=](FieldRule& r) { (setters(r), ...); };
}
auto Type(const std::string& type)
{
    return [=](FieldRule& r) { r.type = type; };
}
auto Pattern(const std::string& pattern)
{
    return [=](FieldRule& r) { r.pattern = pattern; };
}
auto Range(const std::string& min, const std::string& max)
{
    return [=](FieldRule& r) {
        r.min = min;
        r.max = max;
    };
}
auto Step(const std::string& step)
{
    return [=](FieldRule& r) { r.step = step; };
}
auto Lengths(const std::string& min, const std::string& max)
{
    return [=](FieldRule& r) {
        r.minLength = min;
        r.maxLength = max;
    };
}
auto Choices(const scriptgen::Lines& choices)
{
    return [=](FieldRule& r) { r.choices = choices; };
}
const auto kRequired = [](FieldRule& r) { r.required = true; };
const auto kMultiple = [](FieldRule& r) { r.multiple = true; };

// clang-format off
const Row kRows[] = {
    {kRequired, {{""}, {" "}, {"x"}}},
    {Lengths("3", ""), {{"ab"}, {"abc"}, {""}, {"\xc3\xa9"}, {kEmoji}, {"a" + kEmoji}, {"e\xcc\x81"}, {"\xc3\xa9t\xc3\xa9"}}, true},
    {Lengths("", "2"), {{"ab"}, {kEmoji}, {"\xc3\xa9\xc3\xa9"}}, true},
    {Set(Type("textarea"), Lengths("4", "")), {{"a\nb"}, {"a\nbc"}, {"abcd"}, {"\n\n\n"}}, true},
    {Set(Type("textarea"), Lengths("", "3")), {{"a\nb"}, {"abc"}}, true},
    {Set(Type("email"), Lengths("6", "")), {{"a@b.c"}, {"a@b.cd"}}, true},
    {Pattern("[a-z]+"), {{"abc"}, {"abc1"}, {""}, {"ABC"}}},
    {Pattern("a|b"), {{"a"}, {"b"}, {"ab"}}},
    {Pattern("\\d+"), {{"123"}, {"\xd9\xa1\xd9\xa2"}, {"12a"}}},
    {Pattern("[\\p{L}]+"), {{"\xc3\xa9t\xc3\xa9"}, {"e1"}}},
    {Pattern("\\p{Lu}\\p{Ll}*"), {{"\xc3\x89t\xc3\xa9"}, {"\xc3\xa9t\xc3\xa9"}}},
    {Pattern("\\w+"), {{"\xc3\xa9"}, {"a_1"}}},
    {Pattern("."), {{kEmoji}, {"ab"}}},
    {Pattern(".."), {{kEmoji}}},
    {Pattern("\\bfoo\\b"), {{"foo"}}},
    {Pattern("a/b"), {{"a/b"}}},
    {Pattern("[0-9]{3}-[0-9]{4}"), {{"555-1234"}, {"5551234"}, {"555-12345"}}},
    {Pattern("\\u00e9+"), {{"\xc3\xa9\xc3\xa9"}, {"e"}}},
    {Pattern("[^a]"), {{"b"}, {"a"}, {kEmoji}}},
    {Pattern("x*"), {{"xxx"}, {"y"}}},
    {Pattern("[]|a"), {{"a"}, {"b"}}},
    {Pattern("a[^]c"), {{"abc"}, {"ac"}, {"a-c"}}},
    {Pattern("\\$\\d+\\.\\d{2}"), {{"$3.50"}, {"3.50"}}},
    {Set(Type("tel"), Pattern("[0-9 +]+")), {{"+44 20 7946 0000"}, {"call me"}}},
    {Type("email"), {{"a@b"}, {"a@b.test"}, {"a@-b.test"}, {"\xc3\xa9@b.test"}, {"a@b.test,c@d.test"}, {"a.b.test"},
        {"\"a b\"@c.test"}, {"a@b_c.test"}, {"a@b..test"}, {"a+tag@b.test"}, {""}, {"a@b-.test"}, {"!#$%&'*+/=?^_`{|}~@x"},
        {"a@" + std::string(63, 'x') + ".test"}, {"a@" + std::string(64, 'x') + ".test"}}},
    {Set(Type("email"), kMultiple), {{"a@b.test,c@d.test"}, {"a@b.test,,c@d.test"}, {"a@b.test,"}, {"a@b.test;c@d.test"},
        {""}, {"a@b.test c@d.test"}, {"a@b.test"}}},
    {Set(Type("email"), kMultiple, Pattern(".+@shop\\.test")), {{"a@shop.test,b@shop.test"}, {"a@shop.test,b@other.test"}}},
    {Set(Type("email"), kRequired), {{""}, {"a@b"}}},
    {Type("url"), {{"https://example.com/a?b#c"}, {"http://"}, {"example.com"}, {"mailto:a@b.test"},
        {"https://exa mple.com"}, {"ftp://x"}, {"https://\xe4\xbe\x8b\xe3\x81\x88.jp/"}, {"//example.com"},
        {"https://[::1]/"}, {"http://a:b@c/"}, {"https://example.com:99999/"}, {"https://example.com:8080/"}, {"x:"},
        {"https://exa%20mple.com/"}, {"http://[::1/"}, {"1http://a"}, {"https://a/\xc3\xa9"}, {"https://a/b c"},
        {"https://a%zz/"}, {"https://a%41/"}, {"https://a%2Fb/"}, {"https://a<b/"}, {"http://1.2.3.256/"},
        {"https://0x7f.1/"}, {"https://1.2.3/"}, {"https://4294967296/"}, {"https://09/"}, {"https://a.09/"},
        {"https://example.com:65535/"}, {"https://example.com:/"}, {"https://example.com:a/"}, {"https://@x/"},
        {"https://a@/"}, {"http:x"}, {"wss://"}, {"http://[zz]/"}, {"https://a..b/"}}},
    {Set(Type("number"), Range("1", "12")), {{"0"}, {"1"}, {"12"}, {"13"}, {"1.5"}, {"1e1"}, {"-0"}, {""}, {"1E1"}, {".5"}}},
    {Set(Type("number"), Range("0", ""), Step("0.01")), {{"0.3"}, {"1.005"}, {"2.675"}, {"-0.01"}, {"1.01"},
        {"1.23456789e2"}, {"100"}}},
    {Set(Type("number"), Step("any")), {{"1.2345"}, {"-7"}}},
    {Set(Type("number"), Range("0.5", "")), {{"1.5"}, {"1"}, {"0.5"}}},
    {Set(Type("number"), Range("1", "10"), Step("2")), {{"9"}, {"10"}, {"11"}}},
    {Set(Type("number"), Step("3")), {{"-3"}, {"4"}, {"0"}}},
    {Set(Type("number"), Range("", "1e3")), {{"1000"}, {"1001"}}},
    {Type("range"), {{"100"}, {"0"}, {"50"}}},
    {Set(Type("date"), Range("2024-01-01", "2024-12-31")), {{"2024-02-29"}, {"2023-12-31"}, {"2025-01-01"},
        {"2024-12-31"}, {"2024-01-01"}}},
    {Set(Type("date"), Step("7")), {{"1970-01-08"}, {"2024-01-01"}, {"1969-12-25"}}},
    {Set(Type("date"), Range("2024-01-01", ""), Step("7")), {{"2024-01-08"}, {"2024-01-09"}}},
    {Set(Type("date"), kRequired), {{"0001-01-01"}, {"275760-09-13"}}},
    {Set(Type("month"), Range("2024-02", "")), {{"2024-02"}, {"2024-01"}, {"2025-12"}}},
    {Type("week"), {{"2020-W53"}, {"2024-W01"}}},
    {Set(Type("week"), Range("2024-W10", "2024-W20")), {{"2024-W09"}, {"2024-W21"}, {"2024-W15"}}},
    {Type("time"), {{"10:00"}, {"10:00:30"}, {"23:59"}, {"00:00"}}},
    {Set(Type("time"), Step("900")), {{"10:15"}, {"10:10"}}},
    {Set(Type("time"), Range("09:00", "17:00")), {{"08:59"}, {"17:01"}, {"12:00"}}},
    {Set(Type("time"), Step("0.5")), {{"12:30:15.5"}, {"12:30:15.25"}}},
    {Type("datetime-local"), {{"2024-01-01T10:00"}, {"2024-02-29T23:59"}}},
    {Set(Type("datetime-local"), Range("2024-01-01T09:00", "")), {{"2024-01-01T08:59"}, {"2024-01-01T09:00"}}},
    {Type("color"), {{"#a0b1c2"}, {"#000000"}}},
    {Set(Type("select"), Choices({"", "order", "cake"}), kRequired), {{"order"}, {""}, {"cake"}}},
    {Set(Type("select"), Choices({"a", "b"})), {{"a"}, {"b"}}},
    {Set(Type("select"), Choices({"Breakfast", "Parking"}), kMultiple, kRequired), {{}, {"Breakfast"},
        {"Breakfast", "Parking"}}},
    {Set(Type("radio"), Choices({"one", "two"}), kRequired), {{}, {"two"}, {"one"}}},
    {Set(Type("radio"), Choices({"one", "two"})), {{}, {"one"}}},
    {Set(Type("checkbox"), Choices({"on"}), kRequired), {{}, {"on"}}},
    {Set(Type("checkbox"), Choices({"vegan", "halal"}), kMultiple), {{}, {"vegan"}, {"vegan", "halal"}}},
    {Set(Type("hidden"), kRequired), {{""}}},
    {Set(Type("search"), Lengths("2", "")), {{"a"}, {"ab"}}, true},
    {Set(Type("password"), Lengths("8", "")), {{"secret"}, {"secret12"}}, true},
};
// clang-format on

struct Tried {
    FieldRule rule;
    std::vector<std::string> values;
    bool typed = false;
};

std::vector<Tried> Cases()
{
    std::vector<Tried> cases;
    for (const Row& row : kRows) {
        FieldRule rule;
        rule.field = "f";
        rule.label = "Field";
        row.rule(rule);
        for (const std::vector<std::string>& values : row.values) {
            cases.push_back({rule, values, row.typed});
        }
    }
    return cases;
}

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

// What Chromium says of each case, by its index.
QJsonObject AskChromium(const std::vector<Tried>& cases)
{
    QJsonArray asked;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        QJsonArray values;
        for (const std::string& v : cases[i].values) {
            values.append(Text(v));
        }
        asked.append(QJsonObject{{"id", QString::number(i)}, {"html", Text(ControlHtml(cases[i].rule))},
            {"values", values}, {"entry", cases[i].typed ? "typed" : "set"}});
    }
    const e2e::ProcessResult run = e2e::Run({"/usr/bin/python3", ZESTREL_VALIDITY, "--chromium", ZESTREL_CHROMIUM},
        {e2e::PathEntry(), "HOME=" + std::string(getenv("HOME") ? getenv("HOME") : "/tmp")},
        QJsonDocument(asked).toJson().toStdString());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
}

std::string Describe(const Tried& c, const QJsonObject& answer)
{
    std::string values;
    for (const std::string& v : c.values) {
        values += (values.empty() ? "\"" : ", \"") + v + "\"";
    }
    return ControlHtml(c.rule) + " with " + values + (c.typed ? " typed" : "") + ": Chromium says " +
        QJsonDocument(answer).toJson(QJsonDocument::Compact).toStdString();
}

using BrowserAgrees = e2e::RulesTest;

TEST_F(BrowserAgrees, OnEveryValueTheBrowserWouldPost)
{
    const std::vector<Tried> cases = Cases();
    const QJsonObject answers = AskChromium(cases);
    ASSERT_EQ(answers.size(), static_cast<qsizetype>(cases.size()));
    int compared = 0;
    int refused = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Tried& c = cases[i];
        const QJsonObject answer = answers.value(QString::number(i)).toObject();
        SCOPED_TRACE(Describe(c, answer));
        ASSERT_FALSE(answer.contains("error"));
        if (!answer.value("applied").toBool()) {
            continue; // the browser changed the value, so it never posts it
        }
        const scriptgen::ScriptSettings settings = e2e::WithRule(c.rule);
        ASSERT_EQ(scriptgen::CheckSafeScript(settings).size(), 0u);
        // What a submission carries: the control's name once per value, and
        // each line break of a text area as CR LF.
        const bool list = c.rule.multiple && (c.rule.type == "select" || c.rule.type == "checkbox");
        e2e::Form form;
        for (const auto& v : answer.value("posted").toArray()) {
            form.emplace_back(list ? "f[]" : "f", v.toString().replace("\n", "\r\n").toStdString());
        }
        const bool valid = answer.value("valid").toBool();
        const e2e::Posted posted = Post(settings, form);
        EXPECT_EQ(posted.errors, "");
        EXPECT_EQ(posted.status, valid ? 303 : 422) << posted.body;
        ++compared;
        refused += valid ? 0 : 1;
    }
    // Enough pairs, on both sides of the rules, to mean something.
    EXPECT_GE(compared, 100);
    EXPECT_GE(refused, 30);
    EXPECT_GE(compared - refused, 30);
    std::printf("%d cases compared with Chromium, %d refused by both\n", compared, refused);
}

// Chromium shows the safe script's pages in their own style, or inside a page
// of the site with the site's style sheet and <style>, and the policy refuses
// nothing on them but a script of the site's page.
TEST(BrowserShows, PagesInTheirStyleOrTheSitesTemplate)
{
    const e2e::TempDir dir;
    const std::string head = "<!DOCTYPE html><html><head><title>Shop</title><link rel=\"stylesheet\" href=\"site.css\">"
                             "<style>header{color:rgb(0, 0, 128)}</style>";
    const std::string body = "</head><body><header>Shop</header><main><!-- zestrel --></main></body></html>";
    e2e::WriteFile(dir.path() / "site.html", head + body);
    e2e::WriteFile(dir.path() / "scripted.html", head + "<script>document.title = 'ran'</script>" + body);
    e2e::WriteFile(dir.path() / "site.css", "body{font-family:monospace}");
    scriptgen::ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.fieldList = {"name"};
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.subject = "Hello";
    s.mailVariables = {{"$name", true}};
    s.successPage = "thanks.html";
    s.failurePage = "sorry.html";
    const struct {
        std::string page; // the template
        std::string font, header; // as computed; empty header: none
        std::vector<std::string> violations;
    } cases[] = {{"", "system-ui", "", {}}, {"site.html", "monospace", "rgb(0, 0, 128)", {}},
        {"scripted.html", "monospace", "rgb(0, 0, 128)", {"script-src-elem inline"}}};
    std::vector<std::string> argv{"/usr/bin/python3", ZESTREL_PAGELOOK, "--chromium", ZESTREL_CHROMIUM};
    const e2e::PhpServer server(ZESTREL_PHP, "127.0.0.1", dir.path(), {"sys_temp_dir=" + dir.path().string()});
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        s.templatePage = cases[i].page;
        e2e::WriteScript(dir.path() / ("page" + std::to_string(i) + ".php"), scriptgen::CompileScript(s));
        argv.push_back("http://127.0.0.1:" + std::to_string(server.port()) + "/page" + std::to_string(i) + ".php");
    }
    const e2e::ProcessResult run =
        e2e::Run(argv, {e2e::PathEntry(), "HOME=" + std::string(getenv("HOME") ? getenv("HOME") : "/tmp")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonArray looks = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).array();
    ASSERT_EQ(looks.size(), static_cast<qsizetype>(std::size(cases))) << run.out;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].page);
        const QJsonObject look = looks[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(look.value("title").toString().toStdString(), "This address only takes the posts of its form.");
        EXPECT_TRUE(look.value("font").toString().startsWith(Text(cases[i].font))) << run.out;
        EXPECT_EQ(look.value("header").toString().toStdString(), cases[i].header);
        std::vector<std::string> violations;
        for (const auto& v : look.value("violations").toArray())
            violations.push_back(v.toString().toStdString());
        EXPECT_EQ(violations, cases[i].violations) << run.out;
    }
}

} // namespace
