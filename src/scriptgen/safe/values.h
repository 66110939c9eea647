#pragma once

#include "scriptgen/safe/check.h"
#include "scriptgen/settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a safe script reads the window's boxes; the checks and the section
// generators share these readings, so what is checked is what is written.
namespace scriptgen::safe {

// The fields of the form: the non-empty lines of the field list. A compact
// open-addressing table, as the boxes of a large form ask it tens of
// thousands of times per compile.
class FieldSet {
public:
    explicit FieldSet(const Lines& fieldList);
    bool Contains(std::string_view name) const { return order_[Slot(name)] != nullptr; }
    bool Empty() const { return fields_.empty(); }
    // Each field once, in the order of the list.
    const std::vector<std::string_view>& InOrder() const { return fields_; }

private:
    // The slot that holds `name`, or the empty slot where it would go.
    std::size_t Slot(std::string_view name) const;

    std::vector<std::string_view> fields_;
    std::vector<const std::string_view*> order_; // the slots: each empty or pointing into fields_
};

// What a value box stands for: the posted value of a field, or its own text.
struct Value {
    bool posted = false;
    std::string_view text; // the field's name, or the literal text
};

// A box means a posted value when its text, after dropping one pair of
// surrounding single quotes, is "$" and a field of the form ("$email",
// "'$email'"); any other text is literal.
Value ResolveValue(std::string_view box, const FieldSet& fields);

// The field an entry of "Select variables to email" names: "$" and a field
// of the form. Empty for any other entry.
std::string_view MailField(std::string_view entry, const FieldSet& fields);

// The "$name" a box seems to mean when it names no field of the form: "$"
// and a name without blanks ("$emial"). Empty when the box is a posted
// value or plainly literal text ("$5 off").
std::string_view MissingField(std::string_view box, const FieldSet& fields);

// Where the script reaches the MySQL server, read from the Host box:
// "host", "host:port", "localhost:/path/to/socket", "[::1]:3307" or "::1".
struct Endpoint {
    std::string host; // as mysqli takes it: IPv6 addresses in brackets
    std::optional<unsigned> port;
    std::string socket;
    std::optional<Issue> problem; // why the text names no server; none when it does
    std::string detail; // the part of the text the problem is about
};
Endpoint ParseHost(std::string_view text);

// The addresses of a literal recipient list, "a@example.org, b@example.org",
// each without surrounding blanks; empty entries are kept so they can be
// reported.
std::vector<std::string_view> SplitAddresses(std::string_view list);

} // namespace scriptgen::safe
