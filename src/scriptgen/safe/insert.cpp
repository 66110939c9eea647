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

    // Only posted values are the visitor's to shorten; a text of the
    // window's own that is too long is the site's fault, and MySQL says so.
    std::vector<std::size_t> posted;
    for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i)
        if (!s.insertFields[i].empty() && ResolveValue(s.insertValues[i], context.fields).posted)
            posted.push_back(i);
    if (!posted.empty()) {
        out.emplace_back();
        out.push_back(
            PhpLine(indent).Code("// A value longer than its column is the visitor's to shorten: MySQL would").Take());
        out.push_back(
            PhpLine(indent).Code("// cut blanks at its end without a word, and nothing is stored or mailed.").Take());
        AppendArray(
            out, indent, "$long = zestrel_too_long($db, " + PhpString(s.insertTable) + ", ", posted,
            [&](PhpLine& line, std::size_t i) {
                const std::string_view field = ResolveValue(s.insertValues[i], context.fields).text;
                PutValue(line.Code("[").String(s.insertFields[i]).Code(", "), context, s.insertValues[i])
                    .Code(", ")
                    .String(context.Label(field))
                    .Code("]");
            },
            ");");
        out.push_back(PhpLine(indent).Code("if ($long !== []) {").Take());
        out.push_back(PhpLine(indent).Code("    zestrel_refuse($long);").Take());
        out.push_back(PhpLine(indent).Code("}").Take());
    }
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
