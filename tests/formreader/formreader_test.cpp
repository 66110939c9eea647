// The form reader on realistic pages (files beside this test) and on short
// pages for single rules: which forms, which fields under which PHP keys, in
// which encoding, and which warnings.
#include "formreader/encoding.h"
#include "formreader/formreader.h"

#include <gtest/gtest.h>

#include <functional>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using formreader::Warning;
using Kind = formreader::Warning::Kind;
using Names = std::vector<std::string>;
using namespace std::string_literals;

struct ExpectedForm {
    std::string id;
    std::string name;
    std::string action;
    Names fields;
    std::vector<Warning> warnings;
    std::string spamTrap{}; // the trap the form carries, left out of the fields
};

struct PageCase {
    const char* label;
    std::string file; // under forms/, or empty for `markup`
    std::string markup;
    bool isHtml;
    std::string encoding;
    std::vector<ExpectedForm> forms;
};

std::string ReadPage(const std::string& file)
{
    std::ifstream stream(std::filesystem::path(ZESTREL_FORMS_DIR) / file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

std::string Bytes(const PageCase& c)
{
    return c.file.empty() ? c.markup : ReadPage(c.file);
}

void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << c.label;
}

class ReadFormsTest : public testing::TestWithParam<PageCase> {};

TEST_P(ReadFormsTest, ReadsFormsFieldsAndWarnings)
{
    const PageCase& c = GetParam();
    const std::string bytes = Bytes(c);
    ASSERT_FALSE(bytes.empty());
    const formreader::Page page = formreader::ReadForms(bytes);
    EXPECT_EQ(page.isHtml, c.isHtml);
    if (c.isHtml) {
        EXPECT_EQ(page.encoding, c.encoding);
    }
    ASSERT_EQ(page.forms.size(), c.forms.size());
    for (std::size_t i = 0; i < c.forms.size(); ++i) {
        SCOPED_TRACE("form " + std::to_string(i + 1));
        const formreader::Form& form = page.forms[i];
        EXPECT_EQ(form.id, c.forms[i].id);
        EXPECT_EQ(form.name, c.forms[i].name);
        EXPECT_EQ(form.action, c.forms[i].action);
        EXPECT_EQ(form.fields, c.forms[i].fields);
        EXPECT_EQ(form.warnings, c.forms[i].warnings);
        EXPECT_EQ(form.spamTrap, c.forms[i].spamTrap);
    }
}

const Warning kNoMethod{Kind::NoMethod, {}, {}};

// Text as UTF-16 in either byte order, with its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes.append(bigEndian ? std::string{high, low} : std::string{low, high});
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Pages, ReadFormsTest,
    testing::Values(
        PageCase{"contact", "contact.html", {}, true, "UTF-8",
            {{"contact", "", "contact.php", {"name", "email", "phone", "subject", "message", "newsletter", "source"},
                {}, "zestrel_website"}}},
        PageCase{"survey", "survey.html", {}, true, "UTF-8",
            {{"", "survey", "survey.php",
                {"rating", "topics", "languages", "country", "contact_pref", "email", "comments", "form_version"}, {},
                "zestrel_trap"}}},
        PageCase{"twoforms", "twoforms.html", {}, true, "UTF-8",
            {{"login", "", "login.php", {"user", "password", "remember"}, {}},
                {"join", "", "join.php", {"full_name", "email", "birth_date", "membership", "terms"}, {}}}},
        PageCase{"broken", "broken.html", {}, true, "UTF-8",
            {{"", "guestbook", "guestbook.php",
                {"visitor_name", "visitor_email", "homepage", "referrer", "photo", "comments", "private"},
                {{Kind::UnnamedFields, {}, {"input type=\"text\""}},
                    {Kind::RenamedNames, {}, {"visitor name", "visitor.email"}}}}}},
        PageCase{"search", "search.html", {}, true, "UTF-8",
            {{"", "", "parts.php", {"query", "category", "in-stock", "page"},
                {kNoMethod, {Kind::NotVariableNames, {}, {"in-stock"}}}}}},
        PageCase{"latin1", "latin1.html", {}, true, "windows-1252",
            {{"", "", "anmeldung.php", {"name", "straße", "plz", "ort", "personen", "bemerkung"},
                {{Kind::NotUtf8Names, "windows-1252", {"straße"}}}}}},
        PageCase{"latin1 sent as UTF-8", {},
            "<meta charset=\"ISO-8859-1\"><form method=post accept-charset=\"bogus utf-8\"><input name=\"stra\xDF"
            "e\"></form>",
            true, "windows-1252", {{"", "", "", {"straße"}, {}}}},
        PageCase{"undeclared, not UTF-8", {}, "<form method=post><input name=\"pr\xE9nom\"></form>", true,
            "windows-1252", {{"", "", "", {"prénom"}, {{Kind::NotUtf8Names, "windows-1252", {"prénom"}}}}}},
        PageCase{"undeclared UTF-8", {}, "<form method=post><input name=\"pr\xC3\xA9nom\"></form>", true, "UTF-8",
            {{"", "", "", {"prénom"}, {}}}},
        PageCase{"UTF-16 with a byte-order mark", {}, Utf16(u"<form method=post><input name=é>", false), true,
            "UTF-16LE", {{"", "", "", {"é"}, {}}}},
        PageCase{"UTF-16LE beyond the BMP", {}, Utf16(u"<form method=post><input name=\"𝒳😀\"></form>", false), true,
            "UTF-16LE", {{"", "", "", {"𝒳😀"}, {}}}},
        PageCase{"UTF-16BE beyond the BMP", {}, Utf16(u"<form method=post><input name=\"𝒳😀\"></form>", true), true,
            "UTF-16BE", {{"", "", "", {"𝒳😀"}, {}}}},
        // Browsers read a page that declares UTF-16 in ASCII markup as UTF-8.
        PageCase{"UTF-16 declared without a byte-order mark", {},
            "<meta charset=\"utf-16\"><form method=post><input name=\"pr\xC3\xA9nom\"></form>", true, "UTF-8",
            {{"", "", "", {"prénom"}, {}}}},
        PageCase{"unknown charset", {}, "<meta charset=\" koi8-r \"><form method=post><input name=\"\xE9\"></form>",
            true, "koi8-r", {{"", "", "", {"é"}, {{Kind::NotUtf8Names, "koi8-r", {"é"}}}}}},
        PageCase{"names PHP drops or changes", {},
            "<form method=\"Dialog\" enctype=\"Text/Plain\"><input name=\"[x]\"><input name=\"a[b\">"
            "<input name=\"this\"><input name=\"two&#10;lines\"><input name=\"a[b\"><input name=\"a b\"></form>",
            true, "UTF-8",
            {{"", "", "", {"a_b", "this"},
                {{Kind::NotPost, "Dialog", {}}, {Kind::PlainTextBody, {}, {}},
                    {Kind::IgnoredNames, {}, {"[x]", "two\nlines"}}, {Kind::RenamedNames, {}, {"a[b", "a b"}},
                    {Kind::NotVariableNames, {}, {"this"}}}}}},
        // PHP 8 turns a "[" that no "]" closes into "_", and every blank, dot
        // and "[" after it too.
        PageCase{"unclosed bracket", {},
            "<form method=post><input type=checkbox name=\"a[b\" value=1><input type=checkbox name=\"a[b\" value=2>"
            "<input name=\"c[d. e[\"></form>",
            true, "UTF-8",
            {{"", "", "", {"a_b", "c_d__e_"},
                {{Kind::RenamedNames, {}, {"a[b", "c[d. e["}}, {Kind::LastValueOnly, {}, {"a[b"}}}}}},
        // Files come only in a post of multipart/form-data; several files of
        // one name need [] as several values do.
        PageCase{"files without enctype", {},
            "<form method=post><input type=file name=cv><input type=file name=letter></form>", true, "UTF-8",
            {{"", "", "", {"cv", "letter"},
                {{Kind::FileInputs, "enctype=\"multipart/form-data\"", {"cv", "letter"}}}}}},
        PageCase{"files sent with GET", {},
            "<form method=get enctype=\"Multipart/Form-Data\"><input type=file name=cv></form>", true, "UTF-8",
            {{"", "", "", {"cv"},
                {{Kind::NotPost, "get", {}},
                    {Kind::FileInputs, "method=\"post\" enctype=\"multipart/form-data\"", {"cv"}}}}}},
        PageCase{"several files", {},
            "<form method=POST enctype=multipart/form-data><input type=file name=docs multiple>"
            "<input type=file name=\"more[]\" multiple></form>",
            true, "UTF-8", {{"", "", "", {"docs", "more"}, {{Kind::LastValueOnly, {}, {"docs"}}}}}},
        PageCase{"fields that send several values", {},
            "<form method=post><input type=checkbox name=size value=S><input type=checkbox name=size value=M>"
            "<input type=hidden name=news value=0><input type=checkbox name=news value=1>"
            "<input type=checkbox name=\"x y\"><input type=checkbox name=x.y><select name=extras multiple></select>"
            "<select name=pick[] multiple></select><input type=checkbox name=tags[]><input type=checkbox name=tags[]>"
            "<input type=radio name=r value=1><input type=radio name=r value=2></form>",
            true, "UTF-8",
            {{"", "", "", {"size", "news", "x_y", "extras", "pick", "tags", "r"},
                {{Kind::RenamedNames, {}, {"x y", "x.y"}}, {Kind::LastValueOnly, {}, {"size", "x.y", "extras"}}}}}},
        PageCase{"form owners", {},
            "<p id=para>x</p><form id=a method=post><div></form><input name=kept><form id=nested method=post>"
            "<input name=inner></form></div><input name=none form=para><input name=blank form=\"\">"
            "<input name=late form=a><template><form method=post><input name=inert></form></template>"
            "<svg><input name=foreign></svg><template id=twin></template><form id=twin method=post>"
            "<input name=elsewhere form=twin></form>",
            true, "UTF-8",
            {{"a", "", "", {"kept", "late"}, {}}, {"nested", "", "", {"inner"}, {}}, {"twin", "", "", {}, {}}}},
        PageCase{
            "no form", {}, "<html><body><h1>Opening hours</h1><input name=lonely></body></html>", true, "UTF-8", {}},
        PageCase{"plain text", {}, "Dear customer,\nyour order 3 < 4 has shipped.\n", false, {}, {}},
        PageCase{"binary", {}, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR<form>"s, false, {}, {}}),
    [](const testing::TestParamInfo<PageCase>& info) {
        std::string name = info.param.label;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

struct ContentCase {
    std::string content;
    std::string label;
};

// The labels and rules read for each field, on realistic pages.
scriptgen::FieldRule Rule(
    std::string field, std::string label, std::string type, const std::function<void(scriptgen::FieldRule&)>& more = {})
{
    scriptgen::FieldRule rule;
    rule.field = std::move(field);
    rule.label = std::move(label);
    rule.type = std::move(type);
    if (more)
        more(rule);
    return rule;
}

void Require(scriptgen::FieldRule& rule)
{
    rule.required = true;
}

TEST(FieldRulesTest, ReadsLabelsAndRulesAsTheBrowserChecksThem)
{
    using scriptgen::FieldRule;
    const auto lengths = [](const std::string& min, const std::string& max, bool required = false) {
        return [=](FieldRule& r) {
            r.minLength = min;
            r.maxLength = max;
            r.required = required;
        };
    };
    const auto range = [](const std::string& min, const std::string& max, const std::string& step,
                           bool required = false) {
        return [=](FieldRule& r) {
            r.min = min;
            r.max = max;
            r.step = step;
            r.required = required;
        };
    };
    const auto choices = [](const scriptgen::Lines& values, bool required, bool multiple) {
        return [=](FieldRule& r) {
            r.choices = values;
            r.required = required;
            r.multiple = multiple;
        };
    };
    const auto pattern = [](const std::string& p) { return [=](FieldRule& r) { r.pattern = p; }; };
    const struct {
        std::string file;
        std::vector<FieldRule> rules;
    } pages[] = {
        {"contact.html",
            {Rule("name", "Your name", "text", Require), Rule("email", "E-mail", "email", Require),
                Rule("phone", "Phone (optional)", "tel"),
                Rule("subject", "About", "select", choices({"order", "cake", "other"}, false, false)),
                Rule("message", "Message", "textarea"),
                Rule("newsletter", "Send me the monthly newsletter", "checkbox", choices({"yes"}, false, false)),
                Rule("source", "", "hidden")}},
        {"everytype.html",
            {Rule("who", "Your name", "text", lengths("2", "80", true)), Rule("email", "E-mail", "email", Require),
                Rule("copies", "Copies to", "email", [](FieldRule& r) { r.multiple = true; }),
                Rule("site", "Web site", "url", pattern("https://.*")),
                Rule("phone", "Phone", "tel",
                    [](FieldRule& r) {
                        r.pattern = "[0-9 +]{6,}";
                        r.title = "Six digits or more";
                    }),
                // A title without a pattern is only a tooltip.
                Rule("q", "Search", "search"), Rule("pw", "Password", "password", lengths("8", "")),
                Rule("guests", "Guests", "number", range("1", "12", "1", true)),
                Rule("price", "Budget", "number", range("0", "", "0.01")),
                Rule("mood", "Mood", "range", range("0", "10", "")),
                Rule("day", "Arrival", "date", range("2026-01-01", "2026-12-31", "")), Rule("month", "Month", "month"),
                Rule("week", "Week", "week"), Rule("at", "Time", "time", range("", "", "900")),
                Rule("when", "Date and time", "datetime-local"), Rule("colour", "Colour", "color"),
                // Read-only and hidden fields are never checked by the browser.
                Rule("kept", "Reference", "text"), Rule("source", "", "hidden"),
                Rule("odd", "Odd", "text", lengths("", "5")),
                Rule("room", "Room", "select", choices({"", "Single", "double"}, true, false)),
                Rule("extras", "Extras", "select", choices({"Breakfast", "Parking"}, false, true)),
                // Without [] PHP keeps only the last of several choices.
                Rule("last", "Last wish", "select", choices({"Quiet", "View"}, false, false)),
                Rule("bed", "Bed", "radio", choices({"one", "two"}, true, false)),
                Rule("diet", "Diet", "checkbox", choices({"vegan", "halal"}, true, true)),
                Rule("terms", "I accept the terms", "checkbox", choices({"on"}, true, false)),
                Rule("note", "Note", "textarea", lengths("3", "500")), Rule("memo", "", "textarea"),
                Rule("cv", "CV", "file",
                    [](FieldRule& r) {
                        r.accept = ".pdf,application/pdf";
                        r.required = true;
                    }),
                Rule("photos", "Photos", "file",
                    [](FieldRule& r) {
                        r.accept = "image/*";
                        r.multiple = true;
                    }),
                // Without [] PHP keeps only the last of several files.
                Rule("scans", "Scans", "file")}},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.file);
        const formreader::Page read = formreader::ReadForms(ReadPage(page.file));
        ASSERT_EQ(read.forms.size(), 1u);
        const std::vector<FieldRule>& rules = read.forms[0].rules;
        ASSERT_EQ(rules.size(), page.rules.size());
        for (std::size_t i = 0; i < rules.size(); ++i) {
            SCOPED_TRACE(page.rules[i].field);
            EXPECT_EQ(rules[i].field, page.rules[i].field);
            EXPECT_EQ(rules[i].label, page.rules[i].label);
            EXPECT_EQ(rules[i].type, page.rules[i].type);
            EXPECT_EQ(rules[i].required, page.rules[i].required);
            EXPECT_EQ(
                rules[i].minLength + "/" + rules[i].maxLength, page.rules[i].minLength + "/" + page.rules[i].maxLength);
            EXPECT_EQ(rules[i].pattern + "/" + rules[i].title, page.rules[i].pattern + "/" + page.rules[i].title);
            EXPECT_EQ(rules[i].min + "/" + rules[i].max + "/" + rules[i].step,
                page.rules[i].min + "/" + page.rules[i].max + "/" + page.rules[i].step);
            EXPECT_EQ(rules[i].choices, page.rules[i].choices);
            EXPECT_EQ(rules[i].multiple, page.rules[i].multiple);
            EXPECT_EQ(rules[i].accept, page.rules[i].accept);
        }
    }
}

TEST(CharsetInContentTest, FindsTheLabelLikeBrowsers)
{
    const ContentCase cases[] = {
        {"text/html; charset=ISO-8859-1", "ISO-8859-1"},
        {"text/html;charset = \"utf-8\" ; x", "utf-8"},
        {"text/html; CHARSET='latin1'", "latin1"},
        {"text/html; charsetx; charset=koi8-r", "koi8-r"},
        {"text/html; charset=\"utf-8", ""},
        {"text/html; charset=", ""},
        {"text/html", ""},
    };
    for (const ContentCase& c : cases)
        EXPECT_EQ(formreader::CharsetInContent(c.content), c.label) << c.content;
}

struct DescribeCase {
    Warning warning;
    std::string sentence;
};

TEST(DescribeTest, WordsEachWarning)
{
    const DescribeCase cases[] = {
        {kNoMethod,
            "The form names no method, so browsers send it with GET, but the script reads posted fields only: add "
            "method=\"post\" to the form tag."},
        {{Kind::NotPost, "get", {}},
            "The form's method is \"get\", so browsers do not post it, but the script reads posted fields only: make "
            "it method=\"post\"."},
        {{Kind::PlainTextBody, {}, {}},
            "The form sends its fields as plain text (enctype=\"text/plain\"), which PHP does not put into $_POST: "
            "remove the enctype attribute."},
        {{Kind::FileInputs, "enctype=\"multipart/form-data\"", {"photo", "cv"}},
            "The form sends only the names of the files chosen in \"photo\", \"cv\", not the files: add "
            "enctype=\"multipart/form-data\" to its form tag."},
        {{Kind::UnnamedFields, {}, {"select"}},
            "Skipped 1 field without a name, which browsers never send: select. Give each one a name=\"...\" in the "
            "form if the script must read it."},
        {{Kind::UnnamedFields, {}, {"input type=\"email\"", "textarea"}},
            "Skipped 2 fields without a name, which browsers never send: input type=\"email\", textarea. Give each "
            "one a name=\"...\" in the form if the script must read it."},
        {{Kind::IgnoredNames, {}, {"[x]", "two\nlines"}},
            "Left out names that PHP ignores or that hold a line break: \"[x]\", \"two\nlines\". Rename these fields "
            "in the form if the script must read them."},
        {{Kind::RenamedNames, {}, {"a[b", "x.y"}},
            "PHP renames these fields, so the field list holds the names the script receives: \"a[b\" arrives as "
            "\"a_b\", \"x.y\" arrives as \"x_y\"."},
        {{Kind::LastValueOnly, {}, {"size", "extras"}},
            "These fields can send several values, but PHP keeps only the last: add [] to their names in the form, "
            "as in name=\"size[]\": \"size\", \"extras\"."},
        // a[b[] would arrive as "a" with the key "b[", still one value.
        {{Kind::LastValueOnly, {}, {"size", "a[b"}},
            "These fields can send several values, but PHP keeps only the last: add [] to their names in the form, "
            "as in name=\"a_b[]\": \"size\", \"a[b\"."},
        {{Kind::NotVariableNames, {}, {"in-stock", "2nd"}},
            "These names cannot be PHP variables, so the classic script will not run until the fields are renamed "
            "(letters, digits and _ only, not beginning with a digit), while the safe script (\"Safe script for PHP "
            "8\") takes them as they are: \"in-stock\", \"2nd\"."},
        {{Kind::NotUtf8Names, "windows-1252", {"straße", "größe"}},
            "Browsers send this form in windows-1252, but the saved script reads names in UTF-8, so \"straße\", "
            "\"größe\" will not arrive: add accept-charset=\"UTF-8\" to the form tag."},
    };
    for (const DescribeCase& c : cases)
        EXPECT_EQ(formreader::Describe(c.warning), c.sentence);
}

TEST(IsValidUtf8Test, RejectsWhatBrowsersWouldReplace)
{
    const std::pair<std::string, bool> cases[] = {
        {"plain", true}, {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true}, {"\xC0\xAF", false}, // overlong
        {"\xED\xA0\x80", false}, // surrogate
        {"\xF4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xE2\x82", false}, // cut off
        {"\xE9t\xE9", false}, // Latin-1
    };
    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ(formreader::IsValidUtf8(bytes), valid) << bytes;
}

} // namespace
