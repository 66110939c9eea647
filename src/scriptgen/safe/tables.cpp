#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

namespace {

// What a column of each type holds in characters of utf8mb4 (four bytes at
// most): VARCHAR counts characters, the TEXT types count bytes.
constexpr Column kVarchar{"VARCHAR(225)", 225};
constexpr Column kText{"TEXT", 65535 / 4};
constexpr Column kMediumText{"MEDIUMTEXT", 16777215 / 4};
constexpr Column kLongText{"LONGTEXT", 4294967295 / 4};

} // namespace

Column ColumnFor(const FieldRule* rule)
{
    if (!rule)
        return kVarchar;
    const std::string& most = rule->maxLength;
    const bool whole = !most.empty() && most.size() < 10 && most.find_first_not_of("0123456789") == std::string::npos;
    if (!whole)
        return rule->type == "textarea" || rule->type == "file" ? kText : kVarchar;
    const std::size_t length = std::stoul(most);
    for (const Column& column : {kVarchar, kText, kMediumText})
        if (length <= column.characters)
            return column;
    return kLongText;
}

const FieldRule* RuleForColumn(const Context& context, std::string_view column)
{
    if (const FieldRule* rule = context.Rule(column))
        return rule;
    return context.Rule(std::string(column) + "[]");
}

// Creates the table unless it exists: one column per field, in the order of
// the list, each sized for what the form's rule for its field allows, an
// automatic, unique id and the time of arrival after them, both set by the
// database, all in utf8mb4 so that every character fits.
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
        column.append(" ").append(ColumnFor(RuleForColumn(context, field)).type).append(", ");
        out.push_back(PhpLine(indent).Code("    . ").String(column).Take());
    }
    out.push_back(PhpLine(indent).Code("    . '`id` INT AUTO_INCREMENT, UNIQUE (`id`), '").Take());
    out.push_back(PhpLine(indent).Code("    . '`received` DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP'").Take());
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
