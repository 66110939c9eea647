#include "scriptgen/phpline.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

namespace {

constexpr std::string_view kQueryOpening = "$result = mysql_query( \"SELECT * FROM ";
constexpr std::string_view kQueryEnd = "\" ) or die(\"SELECT Error: \".mysql_error());";

// One PHP variable per shown field, filled from the fetched record.
void AppendAssignments(Lines& out, const Lines& fields)
{
    for (const std::string& field : fields)
        if (HoldsText(field))
            PhpLine().Code("$", field, " = $row['", field, "'];").AddTo(out);
}

// One table cell per shown field; these lines continue an open PHP string.
void AppendCells(Lines& out, const Lines& fields)
{
    for (const std::string& field : fields)
        if (HoldsText(field))
            PhpLine().Code("<td>$", field, "</td>").AddTo(out);
}

} // namespace

// Prints every record of the table, one HTML table row per record.
void AddDisplayAllSection(const ScriptSettings& s, Lines& out)
{
    out.emplace_back("echo \"<table border='1'>\";");
    PhpLine().Code(kQueryOpening, s.displayAllTable, kQueryEnd).AddTo(out);
    out.emplace_back("while($row = mysql_fetch_array( $result )) {");
    AppendAssignments(out, s.displayAllFields);
    out.emplace_back("echo \"<tr>");
    AppendCells(out, s.displayAllFields);
    out.emplace_back("</tr>\";}");
    out.emplace_back("echo \"</table>\";");
    out.emplace_back(" ");
}

// Prints the first record where the field equals the value, as one row.
void AddDisplaySpecificSection(const ScriptSettings& s, Lines& out)
{
    out.emplace_back("echo \"<table border='1'><tr>\";");
    PhpLine()
        .Code(kQueryOpening, s.displaySpecificTable, " WHERE ", s.whereField, "=", s.whereValue, kQueryEnd)
        .AddTo(out);
    out.emplace_back("$row = mysql_fetch_array( $result );");
    AppendAssignments(out, s.displaySpecificFields);
    out.emplace_back("echo \"");
    AppendCells(out, s.displaySpecificFields);
    out.emplace_back("\";");
    out.emplace_back("echo \"</tr></table>\";");
    out.emplace_back(" ");
}

} // namespace scriptgen
