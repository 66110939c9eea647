#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

namespace {

// The non-empty lines of a field list: as SQL column names, and as the
// literals of the table's header row.
struct ShownFields {
    explicit ShownFields(const Lines& fields)
    {
        for (const std::string& field : fields) {
            if (field.empty())
                continue;
            if (!columns.empty())
                columns += ", ";
            columns += SqlName(field);
            headers.push_back(PhpString(field));
        }
    }
    std::string columns;
    std::vector<std::string> headers;
};

void AppendTableOpening(std::string_view indent, const ShownFields& fields, Lines& out)
{
    out.push_back(text::Concat(indent, "zestrel_page(200, 'Records');"));
    out.push_back(text::Concat(indent, "echo '<table border=\"1\">', \"\\n\";"));
    AppendArray(out, indent, "zestrel_row('th', ", fields.headers, ");");
}

} // namespace

// Every record of the table, one HTML table row each. The rows are streamed
// as the server sends them (an unbuffered result), so a table of any size
// shows within PHP's memory limit.
void AddSafeDisplayAll(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const ShownFields fields(s.displayAllFields);
    out.emplace_back();
    out.push_back(text::Concat(indent, "// All records of the table, row by row as they arrive."));
    const std::string sql = "SELECT " + fields.columns + " FROM " + SqlName(s.displayAllTable);
    out.push_back(text::Concat(indent, "$rows = $db->query(", PhpString(sql), ", MYSQLI_USE_RESULT);"));
    AppendTableOpening(indent, fields, out);
    out.push_back(text::Concat(indent, "while ($row = $rows->fetch_row()) {"));
    out.push_back(text::Concat(indent, "    zestrel_row('td', $row);"));
    out.push_back(text::Concat(indent, "}"));
    out.push_back(text::Concat(indent, "$rows->free();"));
    out.push_back(text::Concat(indent, "echo '</table>', \"\\n\";"));
}

// The first record whose field equals the value. A value taken from a field
// the request did not send (a visit rather than a post) matches nothing.
void AddSafeDisplaySpecific(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const ShownFields fields(s.displaySpecificFields);
    const Value where = ResolveValue(s.whereValue, context.fields);
    const std::string sql = "SELECT " + fields.columns + " FROM " + SqlName(s.displaySpecificTable) + " WHERE " +
        SqlName(s.whereField) + " = ? LIMIT 1";
    std::string inner(indent);
    out.emplace_back();
    out.push_back(text::Concat(indent, "// The first record whose field matches."));
    if (where.posted) {
        out.push_back(text::Concat(indent, "$record = null;"));
        out.push_back(text::Concat(indent, "if (isset($_POST[", PhpString(PostedKeyOf(where.text)), "])) {"));
        inner += "    ";
    }
    out.push_back(text::Concat(inner, "$match = $db->prepare(", PhpString(sql), ");"));
    out.push_back(text::Concat(inner, "$match->execute([", PhpValue(context, s.whereValue), "]);"));
    out.push_back(text::Concat(inner, "$record = $match->get_result()->fetch_row();"));
    if (where.posted)
        out.push_back(text::Concat(indent, "}"));
    AppendTableOpening(indent, fields, out);
    out.push_back(text::Concat(indent, "if (is_array($record)) {"));
    out.push_back(text::Concat(indent, "    zestrel_row('td', $record);"));
    out.push_back(text::Concat(indent, "}"));
    out.push_back(text::Concat(indent, "echo '</table>', \"\\n\";"));
    out.push_back(text::Concat(indent, "if (!is_array($record)) {"));
    out.push_back(text::Concat(indent, "    echo '<p>No record matches.</p>', \"\\n\";"));
    out.push_back(text::Concat(indent, "}"));
}

} // namespace scriptgen::safe
