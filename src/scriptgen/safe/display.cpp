#include "scriptgen/safe/sections.h"

namespace scriptgen::safe {

namespace {

// The non-empty lines of a field list, and the same as SQL column names.
struct ShownFields {
    explicit ShownFields(const Lines& fields)
    {
        for (const std::string& field : fields) {
            if (field.empty())
                continue;
            if (!names.empty())
                columns += ", ";
            AppendSqlName(columns, field);
            names.push_back(field);
        }
    }
    std::vector<std::string_view> names;
    std::string columns;
};

void AppendTableOpening(std::string_view indent, const ShownFields& fields, Lines& out)
{
    out.push_back(PhpLine(indent).Code("zestrel_page(200, 'Records');").Take());
    out.push_back(PhpLine(indent).Code("echo '<table border=\"1\">', \"\\n\";").Take());
    AppendArray(
        out, indent, "zestrel_row('th', ", fields.names,
        [](PhpLine& line, std::string_view name) { line.String(name); }, ");");
}

// The shown columns, each with its heading: the form's label for the field.
void AppendHeadings(const Context& context, std::string_view indent, std::string_view opening,
    const ShownFields& fields, std::string_view closing, Lines& out)
{
    AppendArray(
        out, indent, opening, fields.names,
        [&context](
            PhpLine& line, std::string_view name) { line.String(name).Code(" => ").String(context.Label(name)); },
        closing);
}

} // namespace

// The owner's deletion of one record from the records page: a visit asks
// first, a post from this site deletes.
void AddSafeDelete(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    out.emplace_back();
    out.emplace_back("// The owner's deletion of one record, asked first.");
    out.emplace_back("if (isset($_GET['delete'])) {");
    out.emplace_back("    zestrel_owner_only();");
    out.emplace_back("    try {");
    AppendHeadings(context, "        ", "zestrel_delete(zestrel_db(), " + PhpString(s.displayAllTable) + ", ",
        ShownFields(s.displayAllFields), ");", out);
    out.emplace_back("    } catch (Throwable $e) {");
    out.emplace_back("        zestrel_log($e->getMessage());");
    out.emplace_back(
        "        zestrel_message(500, 'Sorry: the record cannot be deleted right now. The error log says why.');");
    out.emplace_back("    }");
    out.emplace_back("}");
}

// Every record of the table, one HTML table row each. The rows are streamed
// as the server sends them (an unbuffered result), so a table of any size
// shows within PHP's memory limit.
void AddSafeDisplayAll(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const ShownFields fields(s.displayAllFields);
    out.emplace_back();
    if (context.Inbox()) {
        // The owner's records: headed by the form's labels, paged, searched
        // and exported by the request's address.
        out.push_back(PhpLine(indent).Code("// The records, page by page, for the owner.").Take());
        const bool onlyCreates = context.OnlyCreatesRecordsTable();
        AppendHeadings(context, indent, "zestrel_records($db, " + PhpString(s.displayAllTable) + ", ", fields,
            std::string(", ") + (context.OwnerTasks() ? "true" : "false") + ", " +
                (context.OwnerTasks() && !onlyCreates ? "true" : "false") + ");",
            out);
        return;
    }
    out.push_back(PhpLine(indent).Code("// All records of the table, row by row as they arrive.").Take());
    out.push_back(PhpLine(indent)
                      .Code("$rows = $db->query(")
                      .String("SELECT " + fields.columns + " FROM " + SqlName(s.displayAllTable))
                      .Code(", MYSQLI_USE_RESULT);")
                      .Take());
    AppendTableOpening(indent, fields, out);
    out.push_back(PhpLine(indent).Code("while ($row = $rows->fetch_row()) {").Take());
    out.push_back(PhpLine(indent).Code("    zestrel_row('td', $row);").Take());
    out.push_back(PhpLine(indent).Code("}").Take());
    out.push_back(PhpLine(indent).Code("$rows->free();").Take());
    out.push_back(PhpLine(indent).Code("echo '</table>', \"\\n\";").Take());
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
    out.push_back(PhpLine(indent).Code("// The first record whose field matches.").Take());
    if (where.posted) {
        out.push_back(PhpLine(indent).Code("$record = null;").Take());
        PhpLine posted(indent);
        PutPostedKey(posted.Code("if (isset($_POST["), where.text).Code("])) {");
        out.push_back(posted.Take());
        inner += "    ";
    }
    out.push_back(PhpLine(inner).Code("$match = $db->prepare(").String(sql).Code(");").Take());
    PhpLine execute(inner);
    PutValue(execute.Code("$match->execute(["), context, s.whereValue).Code("]);");
    out.push_back(execute.Take());
    out.push_back(PhpLine(inner).Code("$record = $match->get_result()->fetch_row();").Take());
    if (where.posted)
        out.push_back(PhpLine(indent).Code("}").Take());
    AppendTableOpening(indent, fields, out);
    out.push_back(PhpLine(indent).Code("if (is_array($record)) {").Take());
    out.push_back(PhpLine(indent).Code("    zestrel_row('td', $record);").Take());
    out.push_back(PhpLine(indent).Code("}").Take());
    out.push_back(PhpLine(indent).Code("echo '</table>', \"\\n\";").Take());
    out.push_back(PhpLine(indent).Code("if (!is_array($record)) {").Take());
    out.push_back(PhpLine(indent).Code("    echo '<p>No record matches.</p>', \"\\n\";").Take());
    out.push_back(PhpLine(indent).Code("}").Take());
}

} // namespace scriptgen::safe
