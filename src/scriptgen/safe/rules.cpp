#include "scriptgen/safe/rules.h"

#include "scriptgen/phpline.h"
#include "scriptgen/safe/phpblocks.h"
#include "scriptgen/safe/sections.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>

namespace scriptgen::safe {

namespace {

constexpr std::string_view kWordClass = "A-Za-z0-9_";
constexpr std::string_view kWordBoundary = "(?:(?<=[A-Za-z0-9_])(?![A-Za-z0-9_])|(?<![A-Za-z0-9_])(?=[A-Za-z0-9_]))";
constexpr std::string_view kNotWordBoundary = "(?:(?<=[A-Za-z0-9_])(?=[A-Za-z0-9_])|(?<![A-Za-z0-9_])(?![A-Za-z0-9_]))";

// Goes back in the browser's history, which keeps what the visitor typed;
// the page's Content-Security-Policy lets it run by its hash.
constexpr std::string_view kBackScript =
    "document.getElementById('back').addEventListener('click', function (event) { if (history.length > 1) { "
    "event.preventDefault(); history.back(); } });";

// Steps over an escape that starts at `at` (a backslash): to its last
// character, the closing brace of \p{...} or \u{...} included.
std::size_t EndOfEscape(std::string_view pattern, std::size_t at)
{
    if (at + 2 < pattern.size() && std::string_view("pPuq").find(pattern[at + 1]) != std::string_view::npos &&
        pattern[at + 2] == '{') {
        const std::size_t close = pattern.find('}', at + 3);
        return close == std::string_view::npos ? pattern.size() - 1 : close;
    }
    return at + 1;
}

// Where a JavaScript pattern first uses what the v flag alone has (class set
// operations, \q{} strings and nested classes, which PCRE does not read), or
// npos.
std::size_t UsesSetNotation(std::string_view pattern)
{
    int depth = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            if (depth > 0 && i + 1 < pattern.size() && pattern[i + 1] == 'q')
                return i;
            i = EndOfEscape(pattern, i);
        } else if (c == '[') {
            if (++depth > 1)
                return i;
        } else if (c == ']' && depth > 0) {
            --depth;
        } else if (depth > 0 && (pattern.substr(i, 2) == "&&" || pattern.substr(i, 2) == "--")) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Where a pattern first has a character unescaped that the v flag wants
// escaped inside a class (the browser then finds the pattern invalid and
// ignores it), or npos.
std::size_t ReservedInClass(std::string_view pattern)
{
    int depth = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            i = EndOfEscape(pattern, i);
        } else if (c == '[') {
            ++depth;
            if (i + 1 < pattern.size() && pattern[i + 1] == '^')
                ++i;
            if (i + 1 < pattern.size() && pattern[i + 1] == '-')
                return i + 1;
        } else if (c == ']' && depth > 0) {
            if (pattern[i - 1] == '-' && (i < 2 || pattern[i - 2] != '\\'))
                return i - 1;
            --depth;
        } else if (depth > 0 && std::string_view("(){}/|").find(c) != std::string_view::npos) {
            return i;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string PcrePattern(std::string_view pattern)
{
    std::string out = "/^(?:";
    int depth = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '/') {
            out += "\\/";
        } else if (c == '[' && depth == 0 && pattern.substr(i, 3) == "[^]") {
            out += "[\\s\\S]";
            i += 2;
        } else if (c == '[' && depth == 0 && pattern.substr(i, 2) == "[]") {
            out += "(?!)";
            ++i;
        } else if (c == '[') {
            ++depth;
            out += c;
        } else if (c == ']' && depth > 0) {
            --depth;
            out += c;
        } else if (c == '\\' && i + 1 < pattern.size()) {
            // JavaScript's \d, \w and \b are ASCII only; PHP's /u makes
            // PCRE's Unicode.
            const char e = pattern[++i];
            if (e == 'd')
                out += depth > 0 ? "0-9" : "[0-9]";
            else if (e == 'D' && depth == 0)
                out += "[^0-9]";
            else if (e == 'w')
                out += depth > 0 ? std::string(kWordClass) : "[" + std::string(kWordClass) + "]";
            else if (e == 'W' && depth == 0)
                out.append("[^").append(kWordClass).append("]");
            else if (e == 'b' && depth == 0)
                out += kWordBoundary;
            else if (e == 'B' && depth == 0)
                out += kNotWordBoundary;
            else if (e == 'u' && i + 1 < pattern.size() && pattern[i + 1] == '{')
                out += "\\x";
            else if (e == 'u' && i + 4 < pattern.size()) {
                out += "\\x{";
                out += pattern.substr(i + 1, 4);
                out += "}";
                i += 4;
            } else {
                out += '\\';
                out += e;
            }
        } else {
            out += c;
        }
    }
    return out + ")$/Du";
}

std::string PatternProblem(std::string_view pattern)
{
    return FindPatternFault(pattern).problem;
}

PatternFault FindPatternFault(std::string_view pattern)
{
    if (const std::size_t at = UsesSetNotation(pattern); at != std::string_view::npos)
        return {"set notation", at};
    if (const std::size_t at = ReservedInClass(pattern); at != std::string_view::npos)
        return {"reserved", at};
    // Compiled as PHP compiles it: between the delimiters, UTF-8 with
    // Unicode properties, $ at the very end.
    const std::string php = PcrePattern(pattern);
    const std::string body = php.substr(1, php.size() - 4);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(body.data()), body.size(),
        PCRE2_UTF | PCRE2_UCP | PCRE2_DOLLAR_ENDONLY, &error, &offset, nullptr);
    if (code != nullptr) {
        pcre2_code_free(code);
        return {};
    }
    std::array<PCRE2_UCHAR, 256> message{};
    pcre2_get_error_message(error, message.data(), message.size());
    return {reinterpret_cast<const char*>(message.data())};
}

std::string_view BackScript()
{
    return kBackScript;
}

// The checks of the form's rules: PHP's own functions, fed the rules as
// literals.
void AddRuleFunctions(Lines& out)
{
    AppendBlock(out, blocks::kRules);
}

// The page that refuses a post the visitor must mend: the form's rules, or a
// value too long for its column.
void AddRefusal(Lines& out)
{
    AppendBlock(out, blocks::kRefuse);
    out.push_back("const ZESTREL_BACK_SCRIPT = " + PhpString(kBackScript) + ";");
}

std::vector<const FieldRule*> CheckedRules(const Context& context)
{
    std::vector<const FieldRule*> checked;
    for (const FieldRule& rule : context.settings.fieldRules) {
        if (rule.field.empty() || !context.fields.Contains(rule.field))
            continue;
        const bool choice = rule.type == "select" || rule.type == "radio" || rule.type == "checkbox";
        const bool asks = rule.required || !rule.minLength.empty() || !rule.maxLength.empty() ||
            !rule.pattern.empty() || !rule.min.empty() || !rule.max.empty() || !rule.step.empty() ||
            !rule.choices.empty() || rule.multiple;
        if (choice || asks || (!rule.type.empty() && rule.type != "text" && rule.type != "hidden"))
            checked.push_back(&rule);
    }
    return checked;
}

std::string_view LabelOf(const FieldRule& rule)
{
    return rule.label.empty() ? std::string_view(rule.field) : std::string_view(rule.label);
}

namespace {

// A file field's limit as the script writes it: the rule's whole number, or
// the default.
std::string Limit(const std::string& written, long long fallback)
{
    const bool whole = !written.empty() && written.size() < 16 &&
        std::all_of(written.begin(), written.end(), [](char c) { return c >= '0' && c <= '9'; });
    return whole ? written : std::to_string(fallback);
}

} // namespace

void AddRuleCheck(const Context& context, std::string_view indent, Lines& out)
{
    const std::vector<const FieldRule*> rules = CheckedRules(context);
    if (rules.empty())
        return;
    const auto text = [](PhpLine& line, std::string_view value) -> PhpLine& {
        return value.empty() ? line.Code("null") : line.String(value);
    };
    const auto number = [](PhpLine& line, const std::string& value) -> PhpLine& {
        const bool digits = !value.empty() && value.size() < 10 &&
            std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        return line.Code(digits ? value : "null");
    };
    out.emplace_back();
    out.push_back(PhpLine(indent).Code("// The form's own rules, checked as the browser checks them.").Take());
    AppendArray(
        out, indent, "$problems = zestrel_rule_problems(", rules,
        [&](PhpLine& line, const FieldRule* rule) {
            PutPostedKey(line.Code("[").String(LabelOf(*rule)).Code(", "), rule->field).Code(", [");
            line.Code("'type' => ").String(rule->type);
            line.Code(", 'required' => ").Code(rule->required ? "true" : "false");
            number(line.Code(", 'minlength' => "), rule->minLength);
            number(line.Code(", 'maxlength' => "), rule->maxLength);
            line.Code(", 'pattern' => ");
            if (rule->pattern.empty())
                line.Code("null");
            else
                line.String(PcrePattern(rule->pattern));
            if (!rule->pattern.empty() && !rule->title.empty())
                line.Code(", 'title' => ").String(rule->title);
            text(line.Code(", 'min' => "), rule->min);
            text(line.Code(", 'max' => "), rule->max);
            text(line.Code(", 'step' => "), rule->step);
            line.Code(", 'choices' => [");
            for (std::size_t i = 0; i < rule->choices.size(); ++i)
                line.Code(i > 0 ? ", " : "").String(rule->choices[i]);
            line.Code("], 'multiple' => ").Code(rule->multiple ? "true" : "false");
            if (rule->type == "file") {
                line.Code(", 'accept' => ").String(rule->accept);
                line.Code(", 'maxbytes' => ").Code(Limit(rule->maxBytes, kDefaultMaxBytes));
                line.Code(", 'maxfiles' => ").Code(Limit(rule->maxFiles, kDefaultMaxFiles));
            }
            line.Code("]]");
        },
        ");");
    out.push_back(PhpLine(indent).Code("if ($problems !== []) {").Take());
    out.push_back(PhpLine(indent).Code("    zestrel_refuse($problems);").Take());
    out.push_back(PhpLine(indent).Code("}").Take());
}

} // namespace scriptgen::safe
