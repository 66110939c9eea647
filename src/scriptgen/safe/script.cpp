#include "scriptgen/safe/check.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/rules.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

namespace {

constexpr std::string_view kOpening[] = {
    "<?php",
    "// Form handler made by Zestrel PHP Script Creator: the safe script, for PHP 8.1 or",
    "// later with mysqli. Posted values reach the database only through prepared",
    "// statements and the page only through htmlspecialchars, no mail header carries",
    "// a line break, only a post from a page of this site changes anything, and the",
    "// records and the table tasks are for the site's owner.",
    "",
    "// Whatever goes wrong goes to the server's logs, never onto the visitor's page.",
    "if (ini_get('display_errors') !== 'stderr') {",
    "    ini_set('display_errors', '0');",
    "}",
};

// The hidden field the button of the owner's page posts, so that the owner's
// post is told apart from the form's.
constexpr std::string_view kOwnerTask = "zestrel_owner_task";

// What the page says when the owner's tasks succeeded, and the caption of
// the button that posts them; each a PHP expression.
std::vector<std::string> OwnerMessages(const ScriptSettings& s)
{
    std::vector<std::string> messages;
    if (s.createTable)
        messages.push_back(text::Concat("'The table ' . ", PhpString(s.createTableName), " . ' is ready.'"));
    if (s.dropTable)
        messages.push_back(text::Concat("'The table ' . ", PhpString(s.dropTableName), " . ' has been deleted.'"));
    return messages;
}

std::string ButtonCaption(const ScriptSettings& s)
{
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

// Without a mail section the page itself says how the form's post went.
void AddPageOutcome(Lines& out)
{
    out.emplace_back();
    out.emplace_back("// What the visitor sees when the form's post was taken.");
    out.emplace_back("function zestrel_succeeded(): void");
    out.emplace_back("{");
    out.emplace_back("    zestrel_page(200, 'Done');");
    out.emplace_back("    echo '<p>', zestrel_html('Thank you: your form has been received.'), '</p>', \"\\n\";");
    out.emplace_back("}");
    out.emplace_back();
    out.emplace_back("// What the visitor sees when a task failed; the error log says why.");
    out.emplace_back("function zestrel_failed(): never");
    out.emplace_back("{");
    out.emplace_back(
        "    zestrel_message(500, 'Sorry: this request could not be completed. Please try again later.');");
    out.emplace_back("}");
}

// The owner's page: what the owner's tasks did, and the button that runs
// them.
void AddOwnerPage(const ScriptSettings& s, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// What the owner sees when the table tasks succeeded.");
    out.emplace_back("function zestrel_owner_done(): void");
    out.emplace_back("{");
    out.emplace_back("    zestrel_page(200, 'Done');");
    for (const std::string& message : OwnerMessages(s))
        out.push_back(text::Concat("    echo '<p>', zestrel_html(", message, "), '</p>', \"\\n\";"));
    out.emplace_back("}");
    out.emplace_back();
    out.emplace_back("// The button that posts the table tasks back to this script.");
    out.emplace_back("function zestrel_owner_button(): void");
    out.emplace_back("{");
    out.emplace_back("    zestrel_page(200, 'Confirm');");
    out.push_back(text::Concat("    echo '<form method=\"post\"><input type=\"hidden\" name=\"", kOwnerTask,
        "\" value=\"1\"><button type=\"submit\">', zestrel_html(", ButtonCaption(s),
        "), '</button></form>', \"\\n\";"));
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

// What the server must offer, checked before anything else, so that a
// missing part gives the failure page and a log line rather than PHP's error.
void AddRequirements(const Context& context, Lines& out)
{
    const auto missing = [&context, &out](std::string_view test, std::string_view what) {
        out.push_back(text::Concat("if (", test, ") {"));
        out.push_back(text::Concat("    zestrel_log(", PhpString(what), ");"));
        out.emplace_back(context.FormTasks()
                ? "    zestrel_failed();"
                : "    zestrel_message(500, 'Sorry: this page cannot work on this server right now.');");
        out.emplace_back("}");
    };
    if (context.Connects())
        missing("!class_exists('mysqli')",
            "this PHP lacks the mysqli extension, which the database needs: ask the host to enable it "
            "(on Debian and Ubuntu: apt install php-mysql)");
    const ScriptSettings& s = context.settings;
    if (s.sendMail && !s.smtp)
        missing("!function_exists('mail')",
            "this PHP has no mail() function (disable_functions in php.ini): ask the host to allow it");
    if (s.sendMail && s.smtp)
        missing("!function_exists('stream_socket_client')",
            "this PHP may not open network connections (stream_socket_client is in disable_functions), which the "
            "mail server needs: ask the host to allow it");
    if (s.sendMail && s.smtp && s.smtp->security != SmtpServer::Security::None)
        missing("!extension_loaded('openssl')",
            "this PHP lacks the openssl extension, which TLS to the mail server needs: ask the host to enable it");
}

// The owner's post: the table tasks, for the owner only. With records, the
// page goes on to show them.
void AddOwnerPost(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string inner = std::string(indent) + "    ";
    const auto line = [&out](std::string_view at, std::string_view code) { out.push_back(text::Concat(at, code)); };
    line(indent, "zestrel_owner_only();");
    line(indent, "try {");
    line(inner, "$db = $db ?? zestrel_connect();");
    if (s.createTable)
        AddSafeCreateTable(context, inner, out);
    if (s.dropTable)
        AddSafeDropTable(context, inner, out);
    line(indent, "} catch (Throwable $e) {");
    line(inner, "zestrel_log($e->getMessage());");
    line(inner, "zestrel_message(500, 'Sorry: the table task failed. The error log says why.');");
    line(indent, "}");
    line(indent, "zestrel_owner_done();");
    if (!context.Displays())
        line(indent, "zestrel_end_page();");
}

// The form's post: the flood limit, the spam trap, then insert and mail in
// that order, the first failure stopping the rest.
void AddFormPost(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string inner = std::string(indent) + "    ";
    const auto line = [&out](std::string_view at, std::string_view code) { out.push_back(text::Concat(at, code)); };
    line(indent, "$wait = zestrel_flood(true);");
    line(indent, "if ($wait > 0) {");
    line(inner, "zestrel_too_often($wait);");
    line(indent, "}");
    // Forms made before the trap got its name carry the old one.
    std::string trap;
    for (const char* name : kSpamTrapFields)
        trap += text::Concat(trap.empty() ? "if (" : " || ", "zestrel_posted(", PhpString(name), ") !== ''");
    line(indent, trap + ") {");
    line(inner, "// Only robots fill in the hidden spam trap: they are thanked, and nothing happens.");
    line(inner, "zestrel_log('the spam trap caught a post: nothing was stored or mailed');");
    line(inner, "zestrel_succeeded();");
    line(inner, "zestrel_end_page();");
    line(indent, "}");
    PhpLine keys(indent);
    keys.Code("if (!zestrel_any_sent([");
    const char* separator = "";
    for (const std::string_view field : context.fields.InOrder()) {
        PutPostedKey(keys.Code(separator), field);
        separator = ", ";
    }
    out.push_back(keys.Code("])) {").Take());
    line(inner,
        "zestrel_log('a post without any of the form\\'s fields: sent by a robot, or larger than post_max_size');");
    line(inner, "zestrel_failed();");
    line(indent, "}");
    AddRuleCheck(context, indent, out);
    line(indent, "try {");
    if (s.insertRecord) {
        line(inner, "$db = $db ?? zestrel_connect();");
        AddSafeInsert(context, inner, out);
    }
    if (s.sendMail)
        AddSafeMail(context, inner, out);
    line(indent, "} catch (Throwable $e) {");
    line(inner, "zestrel_log($e->getMessage());");
    line(inner, "zestrel_failed();");
    line(indent, "}");
    line(indent, "zestrel_succeeded();");
    // Records follow the thanks only when anyone may see them.
    if (!context.Displays() || context.RecordsForOwner())
        line(indent, "zestrel_end_page();");
}

void AddPosts(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// Only a post from a page of this site changes anything.");
    out.emplace_back("if ($method === 'POST') {");
    out.emplace_back("    if (zestrel_from_other_site()) {");
    out.emplace_back("        zestrel_message(403, 'This form can only be sent from the pages of its own site.');");
    out.emplace_back("    }");
    if (context.OwnerTasks() && context.FormTasks()) {
        out.push_back(text::Concat("    if (isset($_POST[", PhpString(kOwnerTask), "])) {"));
        AddOwnerPost(context, "        ", out);
        out.emplace_back("    } else {");
        AddFormPost(context, "        ", out);
        out.emplace_back("    }");
    } else if (context.OwnerTasks()) {
        AddOwnerPost(context, "    ", out);
    } else {
        AddFormPost(context, "    ", out);
    }
    out.emplace_back("}");
}

// The records, for the owner unless anyone may see them. With the owner's
// tasks, their button stands above them.
void AddDisplays(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// The records.");
    if (context.RecordsForOwner())
        out.emplace_back("zestrel_owner_only();");
    if (context.OwnerTasks())
        out.emplace_back("zestrel_owner_button();");
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

// A visit to a script without records.
void AddVisit(const Context& context, Lines& out)
{
    out.emplace_back();
    if (context.OwnerTasks()) {
        out.emplace_back("// A visit of the owner shows the button that posts the table tasks.");
        out.emplace_back("zestrel_owner_only();");
        out.emplace_back("zestrel_owner_button();");
        out.emplace_back("zestrel_end_page();");
    } else {
        out.emplace_back("// Anything but a post changes nothing.");
        out.emplace_back("header('Allow: POST');");
        out.emplace_back("zestrel_message(405, 'This address only takes the posts of its form.');");
    }
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
    return 600 + s.fieldList.size() + s.mailVariables.size() + s.insertFields.size() + s.displayAllFields.size() +
        s.displaySpecificFields.size() + s.createTableFields.size();
}

} // namespace

Lines CompileSafeScript(const ScriptSettings& settings)
{
    const Context context(settings);
    Lines out;
    out.reserve(EstimateLineCount(settings));
    out.assign(std::begin(kOpening), std::end(kOpening));
    out.emplace_back();
    AddHelperFunctions(context, out);
    if (context.Connects())
        AddConnectFunction(context, out);
    if (context.FormTasks()) {
        if (settings.sendMail)
            AddRedirectOutcome(settings, out);
        else
            AddPageOutcome(out);
    }
    if (context.OwnerTasks())
        AddOwnerPage(settings, out);

    if (!context.fields.Empty())
        AddForm(context, out);
    out.emplace_back();
    out.emplace_back("zestrel_headers();");
    AddRequirements(context, out);
    if (context.Changes())
        out.emplace_back("$method = $_SERVER['REQUEST_METHOD'] ?? 'GET';");
    if (context.Connects())
        out.emplace_back("$db = null;");

    if (context.Changes())
        AddPosts(context, out);
    if (context.Displays())
        AddDisplays(context, out);
    else if (context.Changes())
        AddVisit(context, out);
    else if (context.ConnectionOnly())
        AddConnectionCheck(out);
    return out;
}

} // namespace scriptgen::safe
