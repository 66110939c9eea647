#pragma once

// The form's own rules for each field, and how the form names it to people:
// what the form reader gives besides the field list.
#include "scriptgen/settings.h"

#include <gumbo.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace formreader {

// The label elements of a page by the id their "for" names, the first of
// each.
using LabelsFor = std::unordered_map<std::string_view, const GumboNode*>;

// How the form names a control to people: the label that names it by its id,
// else the label around it, else its aria-label; empty for none.
std::string OwnLabel(const GumboNode* control, const LabelsFor& labels);

// The legend of the nearest fieldset around the control; empty for none.
std::string Legend(const GumboNode* control);

// The rules one control sets for the field it sends: `type` is an input's
// type in lower case ("" for a select or textarea), `key` the field's key,
// `sendsList` whether PHP receives its values as a list (a name with []).
// A control barred from the browser's checks (hidden, read-only) sets none.
scriptgen::FieldRule RuleOf(const GumboElement& control, std::string_view type, const std::string& key, bool sendsList);

// Adds what another control of the same name allows, as PHP receives the
// value: a radio group or check boxes allow each box's value, and need a
// value when any box is required.
void Combine(scriptgen::FieldRule& rule, const scriptgen::FieldRule& another);

} // namespace formreader
