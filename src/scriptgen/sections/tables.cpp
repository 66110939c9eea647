#include "scriptgen/phpline.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

namespace {

// Runs the statement held in `variable`, then prints the success text or
// stops the script with the server's error.
void AppendRunStatement(Lines& out, std::string_view variable, std::string_view done, std::string_view failed)
{
    out.emplace_back();
    PhpLine().Code("if( mysql_query( ", variable, " ) )").AddTo(out);
    PhpLine().Code("echo( \"Table ", done, " successfully.<br>\" );").AddTo(out);
    out.emplace_back("else");
    PhpLine().Code("die( \"Error! Could not ", failed, " table: \" . mysql_error() );").AddTo(out);
    out.emplace_back();
}

} // namespace

// Creates a table of VARCHAR(225) columns plus an automatic, unique id. The
// statement spans several script lines inside one PHP string.
void AddCreateTableSection(const ScriptSettings& s, Lines& out)
{
    PhpLine().Code("$create_query = \"CREATE TABLE ", s.createTableName, " (").AddTo(out);
    for (const std::string& field : s.createTableFields)
        if (HoldsText(field))
            PhpLine().Code(field, " VARCHAR(225),").AddTo(out);
    out.emplace_back("id INT AUTO_INCREMENT, UNIQUE (id) )\";");
    AppendRunStatement(out, "$create_query", "created", "create");
}

void AddDropTableSection(const ScriptSettings& s, Lines& out)
{
    PhpLine().Code("$drop_query = \"DROP TABLE ", s.dropTableName, "\";").AddTo(out);
    AppendRunStatement(out, "$drop_query", "deleted", "delete");
}

} // namespace scriptgen
