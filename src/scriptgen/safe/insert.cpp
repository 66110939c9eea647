#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

// Stores one record: each table field with the value of its own grid row,
// through a prepared statement, so a value can never change the statement.
// A field whose value cell is empty is left out.
void AddSafeInsert(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    std::string columns, placeholders;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i) {
        if (s.insertFields[i].empty() || s.insertValues[i].empty())
            continue;
        if (!values.empty()) {
            columns += ", ";
            placeholders += ", ";
        }
        columns += SqlName(s.insertFields[i]);
        placeholders += '?';
        values.push_back(PhpValue(context, s.insertValues[i]));
    }

    out.emplace_back();
    out.push_back(text::Concat(indent, "// Store the values as one new record."));
    const std::string sql =
        "INSERT INTO " + SqlName(s.insertTable) + " (" + columns + ") VALUES (" + placeholders + ")";
    out.push_back(text::Concat(indent, "$insert = $db->prepare(", PhpString(sql), ");"));
    if (values.empty())
        out.push_back(text::Concat(indent, "$insert->execute();"));
    else
        AppendArray(out, indent, "$insert->execute(", values, ");");
}

} // namespace scriptgen::safe
