#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

// Creates the table unless it exists: one VARCHAR(225) column per field, in
// the order of the list, and an automatic, unique id after them, all in
// utf8mb4 so that every character fits.
void AddSafeCreateTable(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    out.emplace_back();
    out.push_back(PhpLine(indent).Code("// Create the table unless it exists.").Take());
    out.push_back(PhpLine(indent)
                      .Code("$db->query(")
                      .String("CREATE TABLE IF NOT EXISTS " + SqlName(s.createTableName) + " (")
                      .Take());
    std::string column;
    for (const std::string& field : s.createTableFields) {
        if (field.empty())
            continue;
        column.clear();
        AppendSqlName(column, field);
        column += " VARCHAR(225), ";
        out.push_back(PhpLine(indent).Code("    . ").String(column).Take());
    }
    out.push_back(PhpLine(indent).Code("    . '`id` INT AUTO_INCREMENT, UNIQUE (`id`)'").Take());
    out.push_back(PhpLine(indent).Code("    . ') DEFAULT CHARSET=utf8mb4');").Take());
}

void AddSafeDropTable(const Context& context, std::string_view indent, Lines& out)
{
    out.emplace_back();
    out.push_back(PhpLine(indent).Code("// Delete the table if it exists.").Take());
    out.push_back(PhpLine(indent)
                      .Code("$db->query(")
                      .String("DROP TABLE IF EXISTS " + SqlName(context.settings.dropTableName))
                      .Code(");")
                      .Take());
}

} // namespace scriptgen::safe
