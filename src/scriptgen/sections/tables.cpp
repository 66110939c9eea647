#include "scriptgen/sections/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen {

namespace {

// Runs the statement held in `variable`, then prints the success text or
// stops the script with the server's error.
void AppendRunStatement(Lines& out, std::string_view variable, std::string_view done, std::string_view failed)
{
    out.emplace_back();
    text::Append(out, "if( mysql_query( ", variable, " ) )");
    text::Append(out, "echo( \"Table ", done, " successfully.<br>\" );");
    out.emplace_back("else");
    text::Append(out, "die( \"Error! Could not ", failed, " table: \" . mysql_error() );");
    out.emplace_back();
}

} // namespace

// Creates a table of VARCHAR(225) columns plus an automatic, unique id. The
// statement spans several script lines inside one PHP string.
void AddCreateTableSection(const ScriptSettings& s, Lines& out)
{
    text::Append(out, "$create_query = \"CREATE TABLE ", s.createTableName, " (");
    for (const std::string& field : s.createTableFields)
        if (text::HoldsText(field))
            text::Append(out, field, " VARCHAR(225),");
    out.emplace_back("id INT AUTO_INCREMENT, UNIQUE (id) )\";");
    AppendRunStatement(out, "$create_query", "created", "create");
}

void AddDropTableSection(const ScriptSettings& s, Lines& out)
{
    text::Append(out, "$drop_query = \"DROP TABLE ", s.dropTableName, "\";");
    AppendRunStatement(out, "$drop_query", "deleted", "delete");
}

} // namespace scriptgen
