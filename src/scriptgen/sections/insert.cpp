#include "scriptgen/phpline.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

namespace {

// The non-empty entries of `lines`, each between `quote`s, joined by ", ".
// Columns and values are joined independently and are never paired.
void PutList(PhpLine& line, const Lines& lines, std::string_view quote)
{
    bool first = true;
    for (const std::string& entry : lines) {
        if (!HoldsText(entry))
            continue;
        if (!first)
            line.Code(", ");
        first = false;
        line.Code(quote, entry, quote);
    }
}

} // namespace

// Stores the posted values as one new record: columns bare, every value
// between single quotes, all inside one PHP double-quoted string.
void AddInsertSection(const ScriptSettings& s, Lines& out)
{
    PhpLine line;
    line.Code("mysql_query(\"INSERT INTO ", s.insertTable, " (");
    PutList(line, s.insertFields, "");
    line.Code(") VALUES (");
    PutList(line, s.insertValues, "'");
    line.Code(")\")or die(\"Insert Error: \".mysql_error());").AddTo(out);
    out.emplace_back(" ");
}

} // namespace scriptgen
