#include "scriptgen/safe/check.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

namespace {

constexpr std::string_view kOpening[] = {
    "<?php",
    "// Form handler made by Zestrel PHP Script Creator: the safe script, for PHP 8.1 or",
    "// later with mysqli. Posted values reach the database only through prepared",
    "// statements and the page only through htmlspecialchars, no mail header carries",
    "// a line break, and only a post from a page of this site changes anything.",
};

// What the page says when the tasks succeeded (without a mail section), and
// the caption of the button that posts a create- or delete-only script back
// to itself; each a PHP expression.
std::vector<std::string> DoneMessages(const Context& context)
{
    const ScriptSettings& s = context.settings;
    std::vector<std::string> messages;
    if (s.createTable)
        messages.push_back(text::Concat("'The table ' . ", PhpString(s.createTableName), " . ' is ready.'"));
    if (s.insertRecord)
        messages.emplace_back("'Thank you: your form has been received.'");
    if (s.dropTable)
        messages.push_back(text::Concat("'The table ' . ", PhpString(s.dropTableName), " . ' has been deleted.'"));
    return messages;
}

std::string ConfirmCaption(const Context& context)
{
    const ScriptSettings& s = context.settings;
    std::string caption;
    if (s.createTable)
        caption = text::Concat("'Create the table ' . ", PhpString(s.createTableName));
    if (s.dropTable)
        caption += text::Concat(
            caption.empty() ? "'Delete" : " . ' and delete", " the table ' . ", PhpString(s.dropTableName));
    return caption;
}

// Where the visitor goes with a mail section: the success page when every
// task succeeded, otherwise the failure page.
void AddRedirectOutcome(const ScriptSettings& s, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// Where the visitor goes: the success page when every task succeeded,");
    out.emplace_back("// otherwise the failure page.");
    const auto goTo = [&out](std::string_view name, const std::string& page) {
        out.push_back(text::Concat("function zestrel_", name, "(): never"));
        out.emplace_back("{");
        out.push_back(text::Concat("    zestrel_go(", PhpString(page), ");"));
        out.emplace_back("}");
    };
    goTo("succeeded", s.successPage);
    out.emplace_back();
    goTo("failed", s.failurePage);
    out.emplace_back();
    out.emplace_back("// Sends the browser on to the page, with a link for one that does not follow.");
    out.emplace_back("function zestrel_go(string $page): never");
    out.emplace_back("{");
    out.emplace_back("    header('Location: ' . $page, true, 303);");
    out.emplace_back("    zestrel_page(303, 'See other');");
    out.emplace_back("    echo '<p><a href=\"', zestrel_html($page), '\">Continue</a></p>', \"\\n\";");
    out.emplace_back("    zestrel_end_page();");
    out.emplace_back("}");
}

// Without a mail section the page itself says how it went.
void AddPageOutcome(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// What the visitor sees when every task succeeded.");
    out.emplace_back("function zestrel_succeeded(): void");
    out.emplace_back("{");
    out.emplace_back("    zestrel_page(200, 'Done');");
    for (const std::string& message : DoneMessages(context))
        out.push_back(text::Concat("    echo '<p>', zestrel_html(", message, "), '</p>', \"\\n\";"));
    out.emplace_back("}");
    out.emplace_back();
    out.emplace_back("// What the visitor sees when a task failed; the error log says why.");
    out.emplace_back("function zestrel_failed(): never");
    out.emplace_back("{");
    out.emplace_back(
        "    zestrel_message(500, 'Sorry: this request could not be completed. Please try again later.');");
    out.emplace_back("}");
}

void AddForm(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// The form's fields as posted, by name.");
    AppendArray(
        out, "", "$form = ", context.fields.InOrder(),
        [](PhpLine& line, std::string_view field) {
            PutPostedKey(line.String(field).Code(" => zestrel_posted("), field).Code(")");
        },
        ";");
}

// The tasks that change something run for a post from this site only, in the
// order create, insert, mail, delete; the first that fails stops the rest.
void AddChanges(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    out.emplace_back();
    out.emplace_back("// Only a post from a page of this site changes anything.");
    out.emplace_back("if ($method === 'POST') {");
    out.emplace_back("    if (zestrel_from_other_site()) {");
    out.emplace_back("        zestrel_message(403, 'This form can only be sent from the pages of its own site.');");
    out.emplace_back("    }");
    out.push_back(text::Concat("    if (zestrel_posted(", PhpString(kSpamTrapField), ") !== '') {"));
    out.emplace_back("        // Only robots fill in the hidden spam trap: they are thanked, and nothing happens.");
    out.emplace_back("        zestrel_succeeded();");
    out.emplace_back("        zestrel_end_page();");
    out.emplace_back("    }");
    if (s.sendMail || s.insertRecord) {
        PhpLine keys("    ");
        keys.Code("if (!zestrel_any_sent([");
        const char* separator = "";
        for (const std::string_view field : context.fields.InOrder()) {
            PutPostedKey(keys.Code(separator), field);
            separator = ", ";
        }
        out.push_back(keys.Code("])) {").Take());
        out.emplace_back(
            "        zestrel_log('a post without any of the form\\'s fields: sent by a robot, or larger than "
            "post_max_size');");
        out.emplace_back("        zestrel_failed();");
        out.emplace_back("    }");
    }
    out.emplace_back("    try {");
    if (s.insertRecord || s.createTable || s.dropTable)
        out.emplace_back("        $db = $db ?? zestrel_connect();");
    constexpr std::string_view kIndent = "        ";
    if (s.createTable)
        AddSafeCreateTable(context, kIndent, out);
    if (s.insertRecord)
        AddSafeInsert(context, kIndent, out);
    if (s.sendMail)
        AddSafeMail(context, kIndent, out);
    if (s.dropTable)
        AddSafeDropTable(context, kIndent, out);
    out.emplace_back("    } catch (Throwable $e) {");
    out.emplace_back("        zestrel_log($e->getMessage());");
    out.emplace_back("        zestrel_failed();");
    out.emplace_back("    }");
    out.emplace_back("    zestrel_succeeded();");
    if (!s.sendMail && !context.Displays())
        out.emplace_back("    zestrel_end_page();");
    out.emplace_back("}");
    if (context.Displays())
        return;

    out.emplace_back();
    if (!s.sendMail && !s.insertRecord) {
        out.emplace_back("// Anything but a post shows a button that posts to this script.");
        out.emplace_back("zestrel_page(200, 'Confirm');");
        out.push_back(text::Concat("echo '<form method=\"post\"><button type=\"submit\">', zestrel_html(",
            ConfirmCaption(context), "), '</button></form>', \"\\n\";"));
        out.emplace_back("zestrel_end_page();");
    } else {
        out.emplace_back("// Anything but a post changes nothing.");
        out.emplace_back("header('Allow: POST');");
        out.emplace_back("zestrel_message(405, 'This address only takes the posts of its form.');");
    }
}

// The records are shown for every request; after a post without a mail
// section they follow the page's report of the tasks.
void AddDisplays(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// The records.");
    out.emplace_back("try {");
    out.emplace_back("    $db = $db ?? zestrel_connect();");
    if (context.settings.displayAll)
        AddSafeDisplayAll(context, "    ", out);
    if (context.settings.displaySpecific)
        AddSafeDisplaySpecific(context, "    ", out);
    out.emplace_back("} catch (Throwable $e) {");
    out.emplace_back("    zestrel_log($e->getMessage());");
    out.emplace_back("    zestrel_page(500, 'Sorry');");
    out.emplace_back("    echo '<p>Sorry: the records cannot be shown right now.</p>', \"\\n\";");
    out.emplace_back("}");
    out.emplace_back("zestrel_end_page();");
}

void AddConnectionCheck(Lines& out)
{
    out.emplace_back();
    out.emplace_back("// Only the connection: the page says whether it works.");
    out.emplace_back("try {");
    out.emplace_back("    zestrel_connect();");
    out.emplace_back("} catch (Throwable $e) {");
    out.emplace_back("    zestrel_log($e->getMessage());");
    out.emplace_back("    zestrel_message(500, 'Sorry: the database cannot be reached right now.');");
    out.emplace_back("}");
    out.emplace_back("zestrel_message(200, 'The connection to the database works.');");
}

std::size_t EstimateLineCount(const ScriptSettings& s)
{
    return 400 + s.fieldList.size() + s.mailVariables.size() + s.insertFields.size() + s.displayAllFields.size() +
        s.displaySpecificFields.size() + s.createTableFields.size();
}

} // namespace

Lines CompileSafeScript(const ScriptSettings& settings)
{
    const Context context(settings);
    Lines out;
    out.reserve(EstimateLineCount(settings));
    out.assign(std::begin(kOpening), std::end(kOpening));
    if (context.Connects()) {
        out.emplace_back();
        out.emplace_back("mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);");
    }
    out.emplace_back();
    AddHelperFunctions(context, out);
    if (context.Connects())
        AddConnectFunction(context, out);
    if (context.Changes()) {
        if (settings.sendMail)
            AddRedirectOutcome(settings, out);
        else
            AddPageOutcome(context, out);
    }

    if (!context.fields.Empty())
        AddForm(context, out);
    if (context.Changes() || context.Connects())
        out.emplace_back();
    if (context.Changes())
        out.emplace_back("$method = $_SERVER['REQUEST_METHOD'] ?? 'GET';");
    if (context.Connects())
        out.emplace_back("$db = null;");

    if (context.Changes())
        AddChanges(context, out);
    if (context.Displays())
        AddDisplays(context, out);
    else if (context.ConnectionOnly())
        AddConnectionCheck(out);
    return out;
}

} // namespace scriptgen::safe
