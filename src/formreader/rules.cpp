#include "formreader/rules.h"

#include "formreader/ascii.h"
#include "formreader/elements.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace formreader {

namespace {

using scriptgen::FieldRule;

bool OneOf(std::string_view type, std::initializer_list<std::string_view> types)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

// The types a person types text into: their length and pattern are checked.
bool TakesText(std::string_view type)
{
    return OneOf(type, {"text", "search", "url", "tel", "email", "password"});
}

// The types of a number, date or time: their range and step are checked.
bool TakesRange(std::string_view type)
{
    return OneOf(type, {"number", "range", "date", "month", "week", "time", "datetime-local"});
}

bool IsKnownType(std::string_view type)
{
    return TakesText(type) || TakesRange(type) ||
        OneOf(type, {"color", "checkbox", "radio", "file", "hidden", "submit", "image", "reset", "button"});
}

// Elements whose text people do not read as part of a label.
bool Unread(const GumboNode* node)
{
    if (node->type != GUMBO_NODE_ELEMENT)
        return false;
    switch (node->v.element.tag) {
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
        return true;
    default:
        return false;
    }
}

// Blanks collapsed to one, none at the ends, and no ":" or "*" the form ends
// a label with, since the mail puts its own ": " after it.
std::string Tidy(std::string_view text)
{
    std::string tidy;
    for (const char c : text) {
        if (IsAsciiBlank(c)) {
            if (!tidy.empty() && tidy.back() != ' ')
                tidy += ' ';
        } else {
            tidy += c;
        }
    }
    while (!tidy.empty() && (tidy.back() == ' ' || tidy.back() == ':' || tidy.back() == '*'))
        tidy.pop_back();
    return tidy;
}

// The text people read in an element, without the controls inside it.
std::string ReadableText(const GumboNode* element)
{
    std::string text;
    std::vector<const GumboNode*> pending{element};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE || node->type == GUMBO_NODE_CDATA) {
            text += node->v.text.text;
        } else if (node->type == GUMBO_NODE_ELEMENT && (node == element || !Unread(node))) {
            const GumboVector& children = node->v.element.children;
            for (unsigned i = children.length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children.data[i]));
        }
    }
    return Tidy(text);
}

const GumboNode* Ancestor(const GumboNode* node, GumboTag tag)
{
    for (const GumboNode* up = node->parent; up != nullptr; up = up->parent)
        if (IsHtml(up, tag))
            return up;
    return nullptr;
}

// Whole numbers as written; anything else sets no limit, as for a browser.
std::string WholeNumber(std::string_view text)
{
    const std::string_view trimmed = TrimBlanks(text);
    const bool digits =
        !trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? std::string(trimmed) : std::string();
}

// An option's value: its value attribute, else its text with blanks collapsed.
std::string OptionValue(const GumboNode* option)
{
    const GumboElement& element = option->v.element;
    if (HasAttribute(element, "value"))
        return std::string(Attribute(element, "value"));
    std::string text;
    for (unsigned i = 0; i < element.children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
            text += child->v.text.text;
    }
    std::string collapsed;
    for (const char c : text) {
        if (!IsAsciiBlank(c))
            collapsed += c;
        else if (!collapsed.empty() && collapsed.back() != ' ')
            collapsed += ' ';
    }
    if (!collapsed.empty() && collapsed.back() == ' ')
        collapsed.pop_back();
    return collapsed;
}

// The values a person can choose in a select: its options and those of its
// groups, but not the disabled ones.
scriptgen::Lines Options(const GumboElement& select)
{
    scriptgen::Lines values;
    std::vector<const GumboNode*> pending;
    for (unsigned i = select.children.length; i-- > 0;)
        pending.push_back(static_cast<const GumboNode*>(select.children.data[i]));
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (IsHtml(node, GUMBO_TAG_OPTGROUP) && !HasAttribute(node->v.element, "disabled")) {
            const GumboVector& children = node->v.element.children;
            for (unsigned i = children.length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children.data[i]));
        } else if (IsHtml(node, GUMBO_TAG_OPTION) && !HasAttribute(node->v.element, "disabled")) {
            std::string value = OptionValue(node);
            if (std::find(values.begin(), values.end(), value) == values.end())
                values.push_back(std::move(value));
        }
    }
    return values;
}

} // namespace

std::string OwnLabel(const GumboNode* control, const LabelsFor& labels)
{
    const GumboElement& element = control->v.element;
    if (const std::string_view id = Attribute(element, "id"); !id.empty()) {
        if (const auto named = labels.find(id); named != labels.end()) {
            std::string text = ReadableText(named->second);
            if (!text.empty())
                return text;
        }
    }
    if (const GumboNode* around = Ancestor(control, GUMBO_TAG_LABEL)) {
        std::string text = ReadableText(around);
        if (!text.empty())
            return text;
    }
    return Tidy(Attribute(element, "aria-label"));
}

std::string Legend(const GumboNode* control)
{
    const GumboNode* fieldset = Ancestor(control, GUMBO_TAG_FIELDSET);
    if (fieldset == nullptr)
        return {};
    const GumboVector& children = fieldset->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (IsHtml(child, GUMBO_TAG_LEGEND))
            return ReadableText(child);
    }
    return {};
}

FieldRule RuleOf(const GumboElement& control, std::string_view type, const std::string& key, bool sendsList)
{
    FieldRule rule;
    rule.field = key;
    if (control.tag == GUMBO_TAG_SELECT) {
        rule.type = "select";
        rule.required = HasAttribute(control, "required");
        // Without [] in its name PHP keeps only the last of several choices.
        rule.multiple = HasAttribute(control, "multiple") && sendsList;
        rule.choices = Options(control);
        return rule;
    }
    if (control.tag == GUMBO_TAG_TEXTAREA) {
        rule.type = "textarea";
        if (HasAttribute(control, "readonly"))
            return rule;
        rule.required = HasAttribute(control, "required");
        rule.minLength = WholeNumber(Attribute(control, "minlength"));
        rule.maxLength = WholeNumber(Attribute(control, "maxlength"));
        return rule;
    }
    // An input of a type HTML does not know is a text input.
    rule.type = IsKnownType(type) ? std::string(type) : "text";
    if (rule.type == "checkbox" || rule.type == "radio") {
        rule.required = HasAttribute(control, "required");
        rule.choices.emplace_back(HasAttribute(control, "value") ? Attribute(control, "value") : "on");
        rule.multiple = rule.type == "checkbox" && sendsList;
        return rule;
    }
    if (rule.type == "file") {
        rule.required = HasAttribute(control, "required");
        rule.accept = TrimBlanks(Attribute(control, "accept"));
        // Without [] in its name PHP keeps only the last of several files.
        rule.multiple = HasAttribute(control, "multiple") && sendsList;
        return rule;
    }
    // Hidden and read-only inputs are never checked by the browser.
    if (rule.type == "hidden" || (HasAttribute(control, "readonly") && rule.type != "color" && rule.type != "range"))
        return rule;
    rule.required = HasAttribute(control, "required") && rule.type != "color" && rule.type != "range";
    if (TakesText(rule.type)) {
        rule.minLength = WholeNumber(Attribute(control, "minlength"));
        rule.maxLength = WholeNumber(Attribute(control, "maxlength"));
        rule.pattern = Attribute(control, "pattern");
        // Browsers say the title beside a value that does not match.
        if (!rule.pattern.empty())
            rule.title = Attribute(control, "title");
    }
    if (TakesRange(rule.type)) {
        rule.min = TrimBlanks(Attribute(control, "min"));
        rule.max = TrimBlanks(Attribute(control, "max"));
        rule.step = TrimBlanks(Attribute(control, "step"));
    }
    rule.multiple = rule.type == "email" && HasAttribute(control, "multiple");
    return rule;
}

void Combine(FieldRule& rule, const FieldRule& another)
{
    const bool boxes = rule.type == "radio" || rule.type == "checkbox";
    if (!boxes || another.type != rule.type)
        return;
    rule.required = rule.required || another.required;
    for (const std::string& value : another.choices)
        if (std::find(rule.choices.begin(), rule.choices.end(), value) == rule.choices.end())
            rule.choices.push_back(value);
}

} // namespace formreader
