// The form's own rules checked by the safe script on the real PHP: for each
// rule, values just inside and just outside, empty values, text beyond
// ASCII, and lists where one value belongs. A post that breaks a rule gets
// 422, a page naming each problem by the field's label, and no mail.
#include "rulesfixture.h"
#include "support.h"

#include "scriptgen/compiler.h"
#include "scriptgen/safe/check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using e2e::Posted;
using e2e::WithRule;
using scriptgen::FieldRule;
using scriptgen::ScriptSettings;
using Rules = e2e::RulesTest;

struct RuleCase {
    std::string name;
    std::function<void(FieldRule&)> rule;
    e2e::Form posted;
    std::string problem; // what the page says after "Field: ", empty when the post is taken
    std::string logged = {}; // a part of the log line, empty when nothing is logged
};

FieldRule Rule(const std::function<void(FieldRule&)>& set)
{
    FieldRule rule;
    rule.label = "Field";
    set(rule);
    return rule;
}

const std::string kFill = "please fill this in.";
const std::string kFormat = "please write it in the form the page asks for.";
const std::string kAddress = "please give an e-mail address, such as name@example.com.";
const std::string kAddresses = "please give e-mail addresses separated by commas.";
const std::string kUrl = "please give a whole web address, such as https://example.com/.";

const auto kRequired = [](FieldRule& r) { r.required = true; };
const auto kMax3 = [](FieldRule& r) { r.maxLength = "3"; };
const auto kMin3 = [](FieldRule& r) { r.minLength = "3"; };
const auto kArea3 = [](FieldRule& r) {
    r.type = "textarea";
    r.maxLength = "3";
};
const auto kMax2 = [](FieldRule& r) { r.maxLength = "2"; };
const auto kLetters = [](FieldRule& r) { r.pattern = "[a-z]+"; };
const auto kEither = [](FieldRule& r) { r.pattern = "a|b"; };
const auto kDigits = [](FieldRule& r) { r.pattern = "\\d+"; };
const auto kUnicodeLetters = [](FieldRule& r) { r.pattern = "[\\p{L}]+"; };
const auto kWord = [](FieldRule& r) { r.pattern = "\\w+"; };
const auto kSlash = [](FieldRule& r) { r.pattern = "a/b"; };
const auto kBoundary = [](FieldRule& r) { r.pattern = "\\bfoo\\b"; };
// PCRE gives up on this pattern for a long enough value that does not match.
const auto kBacktracking = [](FieldRule& r) {
    r.pattern = "(\\w+\\s?)+";
    r.maxLength = "40";
};
const auto kEmail = [](FieldRule& r) { r.type = "email"; };
const auto kEmails = [](FieldRule& r) {
    r.type = "email";
    r.multiple = true;
};
const auto kShopEmails = [](FieldRule& r) {
    r.type = "email";
    r.multiple = true;
    r.pattern = ".+@shop\\.test";
};
const auto kUrlType = [](FieldRule& r) { r.type = "url"; };
const auto kGuests = [](FieldRule& r) {
    r.type = "number";
    r.min = "1";
    r.max = "12";
};
const auto kCents = [](FieldRule& r) {
    r.type = "number";
    r.min = "0";
    r.step = "0.01";
};
const auto kAnyStep = [](FieldRule& r) {
    r.type = "number";
    r.step = "any";
};
const auto kHalves = [](FieldRule& r) {
    r.type = "number";
    r.min = "0.5";
};
const auto kRange = [](FieldRule& r) { r.type = "range"; };
const auto kYear = [](FieldRule& r) {
    r.type = "date";
    r.min = "2024-01-01";
    r.max = "2024-12-31";
};
const auto kWeekly = [](FieldRule& r) {
    r.type = "date";
    r.step = "7";
};
const auto kMonth = [](FieldRule& r) { r.type = "month"; };
const auto kWeek = [](FieldRule& r) { r.type = "week"; };
const auto kTime = [](FieldRule& r) { r.type = "time"; };
const auto kQuarters = [](FieldRule& r) {
    r.type = "time";
    r.step = "900";
};
const auto kWhen = [](FieldRule& r) { r.type = "datetime-local"; };
const auto kColour = [](FieldRule& r) { r.type = "color"; };
const auto kSelect = [](FieldRule& r) {
    r.type = "select";
    r.choices = {"", "order", "cake"};
    r.required = true;
};
const auto kSeveral = [](FieldRule& r) {
    r.type = "select";
    r.choices = {"Breakfast", "Parking"};
    r.multiple = true;
};
const auto kRadio = [](FieldRule& r) {
    r.type = "radio";
    r.choices = {"one", "two"};
    r.required = true;
};
const auto kTick = [](FieldRule& r) {
    r.type = "checkbox";
    r.choices = {"on"};
    r.required = true;
};
const auto kBoxes = [](FieldRule& r) {
    r.type = "checkbox";
    r.choices = {"vegan", "halal"};
    r.multiple = true;
    r.required = true;
};
const auto kHidden = [](FieldRule& r) {
    r.type = "hidden";
    r.required = true;
};

const std::string kEmoji = "\xf0\x9f\x98\x80";

const RuleCase kCases[] = {
    {"required, empty", kRequired, {{"f", ""}}, kFill},
    {"required, not sent", kRequired, {{"other", "x"}}, kFill},
    {"required, blanks are a value", kRequired, {{"f", "  "}}, ""},
    {"required, filled in", kRequired, {{"f", "x"}}, ""},
    {"several values for one", kRequired, {{"f[]", "a"}, {"f[]", "b"}}, "please give one value, not several."},
    {"at most 3, 3", kMax3, {{"f", "abc"}}, ""},
    {"at most 3, 4", kMax3, {{"f", "abcd"}}, "please shorten it to 3 characters or fewer (it has 4)."},
    {"at most 3, three accents", kMax3, {{"f", "\xc3\xa9\xc3\xa9\xc3\xa9"}}, ""},
    {"at most 2, an emoji counts 2", kMax2, {{"f", kEmoji}}, ""},
    {"at most 2, a letter and an emoji", kMax2, {{"f", "a" + kEmoji}},
        "please shorten it to 2 characters or fewer (it has 3)."},
    {"at least 3, 2", kMin3, {{"f", "ab"}}, "please lengthen it to 3 characters or more (it has 2)."},
    {"at least 3, empty", kMin3, {{"f", ""}}, ""},
    {"text area, a line break counts once", kArea3, {{"f", "a\r\nb"}}, ""},
    {"text area, one more", kArea3, {{"f", "a\r\nbc"}}, "please shorten it to 3 characters or fewer (it has 4)."},
    {"pattern, matched", kLetters, {{"f", "abc"}}, ""},
    {"pattern, one character off", kLetters, {{"f", "abc1"}}, kFormat},
    {"pattern, empty is not checked", kLetters, {{"f", ""}}, ""},
    {"pattern, anchored as a whole", kEither, {{"f", "ab"}}, kFormat},
    {"pattern, \\d is ASCII", kDigits, {{"f", "\xd9\xa1\xd9\xa2"}}, kFormat},
    {"pattern, \\d digits", kDigits, {{"f", "123"}}, ""},
    {"pattern, letters of any script", kUnicodeLetters, {{"f", "\xc3\xa9t\xc3\xa9"}}, ""},
    {"pattern, \\w is ASCII", kWord, {{"f", "\xc3\xa9"}}, kFormat},
    {"pattern, a slash", kSlash, {{"f", "a/b"}}, ""},
    {"pattern, word boundaries", kBoundary, {{"f", "foo"}}, ""},
    {"pattern, too much backtracking refuses", kBacktracking, {{"f", std::string(26, 'a') + "<b>x</b>"}}, kFormat,
        "could not check it against the pattern"},
    {"pattern, a match despite the backtracking", kBacktracking, {{"f", std::string(26, 'a') + " bc"}}, ""},
    {"e-mail, a domain of one label", kEmail, {{"f", "a@b"}}, ""},
    {"e-mail, a label beginning with -", kEmail, {{"f", "a@-b.test"}}, kAddress},
    {"e-mail, beyond ASCII", kEmail, {{"f", "\xc3\xa9@b.test"}}, kAddress},
    {"e-mail, blanks around are dropped", kEmail, {{"f", " a@b.test "}}, ""},
    {"e-mail, a comma without multiple", kEmail, {{"f", "a@b.test,c@d.test"}}, kAddress},
    {"e-mails, blanks after commas", kEmails, {{"f", "a@b.test , c@d.test"}}, ""},
    {"e-mails, an empty one", kEmails, {{"f", "a@b.test,,c@d.test"}}, kAddresses},
    {"e-mails, a semicolon", kEmails, {{"f", "a@b.test;c@d.test"}}, kAddresses},
    {"e-mails, pattern on each", kShopEmails, {{"f", "a@shop.test,b@shop.test"}}, ""},
    {"e-mails, pattern broken by one", kShopEmails, {{"f", "a@shop.test,b@other.test"}}, kFormat},
    {"web address", kUrlType, {{"f", "https://example.com/a?b#c"}}, ""},
    {"web address without a host", kUrlType, {{"f", "http://"}}, kUrl},
    {"web address without a scheme", kUrlType, {{"f", "example.com"}}, kUrl},
    {"web address of another scheme", kUrlType, {{"f", "mailto:a@b.test"}}, ""},
    {"web address holding a blank, as browsers take it", kUrlType, {{"f", "https://exa mple.com"}}, ""},
    {"web address, a port beyond 65535", kUrlType, {{"f", "https://example.com:65536/"}}, kUrl},
    {"web address, a number beyond an IPv4 address", kUrlType, {{"f", "http://1.2.3.256/"}}, kUrl},
    {"number, inside", kGuests, {{"f", "12"}}, ""},
    {"number, below", kGuests, {{"f", "0"}}, "please enter 1 or more."},
    {"number, above", kGuests, {{"f", "13"}}, "please enter 12 or less."},
    {"number, off the steps", kGuests, {{"f", "1.5"}}, "please enter a number that fits the steps of 1."},
    {"number, written with an exponent", kGuests, {{"f", "1e1"}}, ""},
    {"number, not one", kGuests, {{"f", "abc"}}, "please enter a number."},
    {"number, with a plus", kGuests, {{"f", "+1"}}, "please enter a number."},
    {"number, a blank before", kGuests, {{"f", " 5"}}, "please enter a number."},
    {"cents, 0.3", kCents, {{"f", "0.3"}}, ""},
    {"cents, 1.005", kCents, {{"f", "1.005"}}, "please enter a number that fits the steps of 0.01."},
    {"cents, 2.675", kCents, {{"f", "2.675"}}, "please enter a number that fits the steps of 0.01."},
    {"cents, below zero", kCents, {{"f", "-0.01"}}, "please enter 0 or more."},
    {"any step", kAnyStep, {{"f", "1.2345"}}, ""},
    {"steps from min, 1.5", kHalves, {{"f", "1.5"}}, ""},
    {"steps from min, 1", kHalves, {{"f", "1"}}, "please enter a number that fits the steps of 1."},
    {"range, beyond 100", kRange, {{"f", "101"}}, "please enter 100 or less."},
    {"range, inside", kRange, {{"f", "100"}}, ""},
    {"date, a leap day", kYear, {{"f", "2024-02-29"}}, ""},
    {"date of a year of 20 digits", kYear, {{"f", "99999999999999999999-01-01"}}, "please enter a valid date."},
    {"date of the last year browsers take", kYear, {{"f", "275760-01-01"}}, "please enter 2024-12-31 or earlier."},
    {"date of the year after it", kYear, {{"f", "275761-01-01"}}, "please enter a valid date."},
    {"month of a year of 20 digits", kMonth, {{"f", "99999999999999999999-01"}}, "please enter a valid month."},
    {"week of a year of 20 digits", kWeek, {{"f", "99999999999999999999-W01"}}, "please enter a valid week."},
    {"date and time of a year of 20 digits", kWhen, {{"f", "99999999999999999999-01-01T10:00"}},
        "please enter a valid date and time."},
    {"date, no such day", kYear, {{"f", "2023-02-29"}}, "please enter a valid date."},
    {"date, before min", kYear, {{"f", "2023-12-31"}}, "please enter 2024-01-01 or later."},
    {"date, after max", kYear, {{"f", "2025-01-01"}}, "please enter 2024-12-31 or earlier."},
    {"date, on the last day", kYear, {{"f", "2024-12-31"}}, ""},
    {"weekly dates from 1970-01-01", kWeekly, {{"f", "1970-01-08"}}, ""},
    {"weekly dates, off", kWeekly, {{"f", "2024-01-01"}}, "please enter a date that fits its steps."},
    {"month", kMonth, {{"f", "2024-02"}}, ""},
    {"month 13", kMonth, {{"f", "2024-13"}}, "please enter a valid month."},
    {"week 53 of a long year", kWeek, {{"f", "2020-W53"}}, ""},
    {"week 53 of a short year", kWeek, {{"f", "2021-W53"}}, "please enter a valid week."},
    {"time", kTime, {{"f", "10:00"}}, ""},
    {"time with seconds, off the minutes", kTime, {{"f", "10:00:30"}}, "please enter a time that fits its steps."},
    {"time 25:00", kTime, {{"f", "25:00"}}, "please enter a valid time."},
    {"quarter hours, 10:15", kQuarters, {{"f", "10:15"}}, ""},
    {"quarter hours, 10:10", kQuarters, {{"f", "10:10"}}, "please enter a time that fits its steps."},
    {"date and time", kWhen, {{"f", "2024-01-01T10:00"}}, ""},
    {"date and time with a blank", kWhen, {{"f", "2024-01-01 10:00"}}, ""},
    {"date and time of no day", kWhen, {{"f", "2024-02-30T10:00"}}, "please enter a valid date and time."},
    {"colour", kColour, {{"f", "#a0b1c2"}}, ""},
    {"colour by name", kColour, {{"f", "red"}}, "please choose a colour."},
    {"choice", kSelect, {{"f", "order"}}, ""},
    {"choice not offered", kSelect, {{"f", "pizza"}}, "\"pizza\" is not one of its choices."},
    {"choice of the empty first option", kSelect, {{"f", ""}}, "please choose one."},
    {"choice not sent", kSelect, {}, "please choose one."},
    {"one choice sent as two", kSelect, {{"f[]", "order"}, {"f[]", "cake"}}, "please choose only one."},
    {"several choices", kSeveral, {{"f[]", "Breakfast"}, {"f[]", "Parking"}}, ""},
    {"several choices, one not offered", kSeveral, {{"f[]", "Breakfast"}, {"f[]", "Spa"}},
        "\"Spa\" is not one of its choices."},
    {"radio, none", kRadio, {}, "please choose one."},
    {"radio, not offered", kRadio, {{"f", "three"}}, "\"three\" is not one of its choices."},
    {"radio, offered", kRadio, {{"f", "two"}}, ""},
    {"check box, not ticked", kTick, {}, "please tick it."},
    {"check box, ticked", kTick, {{"f", "on"}}, ""},
    {"check box, another value", kTick, {{"f", "yes"}}, "\"yes\" is not one of its choices."},
    {"check boxes, none", kBoxes, {}, "please choose one."},
    {"check boxes, one", kBoxes, {{"f[]", "vegan"}}, ""},
    {"hidden, anything", kHidden, {{"f", ""}}, ""},
};

TEST_F(Rules, EachRuleAsTheBrowserChecksIt)
{
    for (const RuleCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const ScriptSettings settings = WithRule(Rule(c.rule));
        ASSERT_EQ(scriptgen::CheckSafeScript(settings).size(), 0u);
        const Posted r = Post(settings, c.posted);
        if (c.logged.empty()) {
            EXPECT_EQ(r.errors, "");
        } else {
            EXPECT_NE(r.errors.find(c.logged), std::string::npos) << r.errors;
        }
        EXPECT_EQ(r.status, c.problem.empty() ? 303 : 422) << r.body;
        EXPECT_EQ(r.mailed, c.problem.empty());
        if (!c.problem.empty()) {
            EXPECT_NE(r.body.find("<li>Field: " + e2e::HtmlText(c.problem) + "</li>"), std::string::npos) << r.body;
        }
    }
}

// Rules guard what a visitor posts: scripts that only show records or
// change tables take no form post, so they carry no rule checks at all.
TEST(RulesScope, OnlyScriptsThatTakeAPostCarryTheRules)
{
    struct Task {
        const char* name;
        bool ScriptSettings::*task;
        bool carriesRules;
    };
    const Task kTasks[] = {
        {"mail", &ScriptSettings::sendMail, true},
        {"insert", &ScriptSettings::insertRecord, true},
        {"display all", &ScriptSettings::displayAll, false},
        {"create", &ScriptSettings::createTable, false},
    };
    for (const Task& t : kTasks) {
        SCOPED_TRACE(t.name);
        ScriptSettings s = WithRule(Rule(kRequired));
        s.sendMail = false;
        s.*t.task = true;
        std::string text;
        for (const std::string& line : scriptgen::CompileScript(s))
            text += line + "\n";
        EXPECT_EQ(text.find("function zestrel_rule_problem") != std::string::npos, t.carriesRules);
    }
}

// The answer to a post that breaks rules: every problem by the field's label
// (else its name), a way back that keeps what was typed, and a script the
// page's policy lets run by its hash.
TEST_F(Rules, RefusalPageNamesEachFieldAndLeadsBack)
{
    ScriptSettings s = WithRule(Rule(kRequired));
    s.fieldList = {"f", "g", "h"};
    s.mailVariables = {{"$f", true}};
    FieldRule g = Rule(kEmail);
    g.field = "g";
    g.label = "Pr\xc3\xa9nom";
    FieldRule h = Rule(kGuests);
    h.field = "h";
    h.label.clear();
    s.fieldRules = {s.fieldRules[0], g, h};
    const Posted r = Post(s, {{"f", ""}, {"g", "x"}, {"h", "99"}});
    EXPECT_EQ(r.status, 422);
    EXPECT_FALSE(r.mailed);
    EXPECT_NE(r.body.find("<title>Please check the form</title>"), std::string::npos);
    EXPECT_NE(r.body.find("<ul>\n<li>Field: please fill this in.</li>\n<li>Pr\xc3\xa9nom: " + e2e::HtmlText(kAddress) +
                  "</li>\n<li>h: please enter 12 or less.</li>\n</ul>\n"),
        std::string::npos)
        << r.body;
    EXPECT_NE(
        r.body.find("<a id=\"back\" href=\"https://shop.test/form.html\">Back to the form</a>"), std::string::npos)
        << r.body;
    // The policy names the hash of the very script and style the page holds.
    for (const std::string element : {"script", "style"}) {
        const std::size_t open = r.body.find("<" + element + ">") + element.size() + 2;
        const std::string text = r.body.substr(open, r.body.find("</" + element + ">") - open);
        EXPECT_FALSE(text.empty());
        const e2e::ProcessResult hash =
            e2e::Run({ZESTREL_PHP, "-r", "echo base64_encode(hash('sha256', stream_get_contents(STDIN), true));"},
                {e2e::PathEntry()}, text);
        EXPECT_NE(r.headers.find(element + "-src 'sha256-" + hash.out + "'"), std::string::npos) << r.headers;
    }
    EXPECT_NE(r.body.find("history.back()"), std::string::npos);
    EXPECT_NE(r.headers.find("frame-ancestors 'none'"), std::string::npos) << r.headers;

    // The form's hint for a pattern is said beside it, as a text.
    FieldRule digits = Rule(kDigits);
    digits.field = "f";
    digits.title = "Digits <only>";
    s.fieldRules = {digits};
    const Posted hinted = Post(s, {{"f", "x"}, {"g", ""}, {"h", ""}});
    EXPECT_NE(hinted.body.find(": Digits &lt;only&gt;.</li>"), std::string::npos) << hinted.body;
}

} // namespace
