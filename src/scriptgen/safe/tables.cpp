#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

// Creates the table unless it exists: one VARCHAR(225) column per field, in
// the order of the list, and an automatic, unique id after them, all in
// utf8mb4 so that every character fits.
void AddSafeCreateTable(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string table = SqlName(s.createTableName);
    out.emplace_back();
    out.push_back(text::Concat(indent, "// Create the table unless it exists."));
    out.push_back(text::Concat(indent, "$db->query(", PhpString("CREATE TABLE IF NOT EXISTS " + table + " (")));
    for (const std::string& field : s.createTableFields)
        if (!field.empty())
            out.push_back(text::Concat(indent, "    . ", PhpString(SqlName(field) + " VARCHAR(225), ")));
    out.push_back(text::Concat(indent, "    . '`id` INT AUTO_INCREMENT, UNIQUE (`id`)'"));
    out.push_back(text::Concat(indent, "    . ') DEFAULT CHARSET=utf8mb4');"));
}

void AddSafeDropTable(const Context& context, std::string_view indent, Lines& out)
{
    out.emplace_back();
    out.push_back(text::Concat(indent, "// Delete the table if it exists."));
    out.push_back(text::Concat(
        indent, "$db->query(", PhpString("DROP TABLE IF EXISTS " + SqlName(context.settings.dropTableName)), ");"));
}

} // namespace scriptgen::safe
