#pragma once

#include "scriptgen/settings.h"

#include <string>
#include <string_view>
#include <vector>

// The form's own rules in the safe script: the PHP that checks posted values
// as the browser checks them, and the patterns in PHP's terms.
namespace scriptgen::safe {

struct Context;

// A pattern of the form (JavaScript, matched against the whole value) as the
// PHP literal of a preg pattern: anchored, UTF-8, and with JavaScript's ASCII
// \d, \w and \b.
std::string PcrePattern(std::string_view pattern);

// Why PHP cannot check the pattern as the browser does: "set notation" for
// what only the v flag reads, "reserved" for a character the v flag wants
// escaped in a class (the browser then ignores the pattern), else PCRE's own
// message; empty when it can.
std::string PatternProblem(std::string_view pattern);

// The same, with where the pattern goes wrong: the byte offset of the first
// character at fault, or npos where only PCRE can tell, in its own terms.
struct PatternFault {
    std::string problem; // as PatternProblem says it; empty: none
    std::size_t at = std::string_view::npos;
};
PatternFault FindPatternFault(std::string_view pattern);

// The little script of the refusal page that goes back to the form.
std::string_view BackScript();

// The rules the script checks: of fields of the list, and asking something.
std::vector<const FieldRule*> CheckedRules(const Context& context);

// How the form names the field to people: its label, else its name.
std::string_view LabelOf(const FieldRule& rule);

// The PHP functions that check the rules.
void AddRuleFunctions(Lines& out);
// zestrel_refuse(): the page that lists what the visitor must mend.
void AddRefusal(Lines& out);
// The check of the posted values, before any task; nothing when no rule
// asks anything.
void AddRuleCheck(const Context& context, std::string_view indent, Lines& out);

} // namespace scriptgen::safe
