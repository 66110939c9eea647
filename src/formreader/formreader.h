#pragma once

// Reads the forms of an HTML page the way a browser parses it, and gives each
// form's fields as PHP files them in $_POST, with warnings about what would
// keep a script from receiving them.
#include "scriptgen/settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace formreader {

struct Warning {
    enum class Kind {
        NoMethod, // no method attribute: browsers send the form with GET
        NotPost, // detail: the method as written
        PlainTextBody, // enctype="text/plain": PHP fills no $_POST
        FileInputs, // names: the file inputs of a form that would send only their names; detail: what to add
        UnnamedFields, // names: what each unnamed field is, e.g. input type="email"
        IgnoredNames, // names: left out, PHP drops them or they hold a line break
        RenamedNames, // names: the names as written, each arrives under another key
        LastValueOnly, // names: as written; several values can come, PHP keeps the last
        NotVariableNames, // names: keys that cannot be PHP variable names
        NotUtf8Names, // detail: the form's encoding; names: keys beyond ASCII
    };
    Kind kind;
    std::string detail;
    std::vector<std::string> names;

    bool operator==(const Warning&) const = default;
};

struct Form {
    // Attribute values as written, entities decoded; empty when absent.
    std::string id;
    std::string name;
    std::string action;
    // The names of the form's named controls in document order, each once:
    // what a browser sends when every field is filled in.
    std::vector<std::string> controlNames;
    // The keys PHP files those controls under in $_POST, in document order,
    // each once: the field list.
    std::vector<std::string> fields;
    // The form's own rules for each field and how it names it to people, in
    // the order of the fields.
    std::vector<scriptgen::FieldRule> rules;
    // The safe script's hidden spam trap the form carries, or none: the
    // script checks it by itself, so it is not in the field list.
    std::string spamTrap;
    std::vector<Warning> warnings;
};

struct Page {
    // False for a file with NUL bytes (binary) or without a single tag.
    bool isHtml = false;
    // "UTF-8", "windows-1252", "UTF-16LE", "UTF-16BE", or the label of a
    // declared encoding this reader does not know (read as windows-1252).
    std::string encoding;
    std::vector<Form> forms; // in document order
};

// Reads the page in `bytes`: the encoding from a byte-order mark, else from a
// meta element, else UTF-8 when the bytes are valid UTF-8, else windows-1252.
Page ReadForms(std::string_view bytes);

// The warning in plain words, as one or more sentences.
std::string Describe(const Warning& warning);

} // namespace formreader
