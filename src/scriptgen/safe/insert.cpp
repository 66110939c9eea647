#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

// Stores one record: each table field with the value of its own grid row,
// through a prepared statement, so a value can never change the statement.
// A field whose value cell is empty is left out.
void AddSafeInsert(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    std::string sql = "INSERT INTO " + SqlName(s.insertTable) + " (";
    std::string placeholders;
    std::vector<std::string_view> values;
    for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i) {
        if (s.insertFields[i].empty() || s.insertValues[i].empty())
            continue;
        if (!values.empty()) {
            sql += ", ";
            placeholders += ", ";
        }
        AppendSqlName(sql, s.insertFields[i]);
        placeholders += '?';
        values.push_back(s.insertValues[i]);
    }
    sql.append(") VALUES (").append(placeholders).append(")");

    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i)
        if (!s.insertFields[i].empty() && !s.insertValues[i].empty())
            rows.push_back(i);
    out.emplace_back();
    out.push_back(
        PhpLine(indent).Code("// A value longer than its column is refused, before anything is stored or").Take());
    out.push_back(PhpLine(indent).Code("// mailed: MySQL would cut blanks at its end without a word.").Take());
    AppendArray(
        out, indent, "$long = zestrel_too_long($db, " + PhpString(s.insertTable) + ", ", rows,
        [&](PhpLine& line, std::size_t i) {
            PutValue(line.Code("[").String(s.insertFields[i]).Code(", "), context, s.insertValues[i]).Code("]");
        },
        ");");
    out.push_back(PhpLine(indent).Code("if ($long !== []) {").Take());
    out.push_back(PhpLine(indent)
                      .Code("    throw new RuntimeException('the post was refused: too long for the column of ' . "
                            "implode(', ', $long));")
                      .Take());
    out.push_back(PhpLine(indent).Code("}").Take());
    out.emplace_back();
    out.push_back(PhpLine(indent).Code("// Store the values as one new record.").Take());
    out.push_back(PhpLine(indent).Code("$insert = $db->prepare(").String(sql).Code(");").Take());
    if (values.empty())
        out.push_back(PhpLine(indent).Code("$insert->execute();").Take());
    else
        AppendArray(
            out, indent, "$insert->execute(", values,
            [&context](PhpLine& line, std::string_view value) { PutValue(line, context, value); }, ");");
}

} // namespace scriptgen::safe
