#include "scriptgen/phpline.h"
#include "scriptgen/safe/check.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/rules.h"
#include "scriptgen/safe/sections.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>
#include <vector>

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
    "if (function_exists('ini_set') && ini_get('display_errors') !== 'stderr') {",
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
        messages.push_back(PhpLine().Code("'The table ' . ", PhpString(s.createTableName), " . ' is ready.'").Take());
    if (s.dropTable)
        messages.push_back(
            PhpLine().Code("'The table ' . ", PhpString(s.dropTableName), " . ' has been deleted.'").Take());
    return messages;
}

std::string ButtonCaption(const ScriptSettings& s)
{
    std::string caption;
    if (s.createTable)
        caption = PhpLine().Code("'Create the table ' . ", PhpString(s.createTableName)).Take();
    if (s.dropTable)
        caption +=
            PhpLine()
                .Code(caption.empty() ? "'Delete" : " . ' and delete", " the table ' . ", PhpString(s.dropTableName))
                .Take();
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
        out.push_back(PhpLine().Code("function zestrel_", name, "(): never").Take());
        out.emplace_back("{");
        out.push_back(PhpLine().Code("    zestrel_go(", PhpString(page), ");").Take());
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
        out.push_back(PhpLine().Code("    echo '<p>', zestrel_html(", message, "), '</p>', \"\\n\";").Take());
    out.emplace_back("}");
    out.emplace_back();
    out.emplace_back("// The button that posts the table tasks back to this script.");
    out.emplace_back("function zestrel_owner_button(): void");
    out.emplace_back("{");
    out.emplace_back("    zestrel_page(200, 'Confirm');");
    out.push_back(PhpLine()
                      .Code("    echo '<form method=\"post\"><input type=\"hidden\" name=\"", kOwnerTask,
                          "\" value=\"1\"><button type=\"submit\">', zestrel_html(", ButtonCaption(s),
                          "), '</button></form>', \"\\n\";")
                      .Take());
    out.emplace_back("}");
}

// The types whose values a browser sends on one line.
bool OneLine(const FieldRule* rule)
{
    if (!rule || rule->type.empty())
        return false;
    for (const std::string_view kept : {"textarea", "hidden", "select", "radio", "checkbox"})
        if (rule->type == kept)
            return false;
    return true;
}

void AddForm(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// The form's fields as posted, by name, as the browser sends them for their type.");
    AppendArray(
        out, "", "$form = ", context.fields.InOrder(),
        [&context](PhpLine& line, std::string_view field) {
            line.String(field).Code(" => ");
            const FieldRule* rule = context.Rule(field);
            // A file field's value is what became of its files, once kept;
            // text posted under its name is no file.
            if (rule && rule->type == "file" && !context.FileFields().empty()) {
                line.Code("''");
                return;
            }
            if (OneLine(rule))
                line.Code("zestrel_clean(").String(rule->type).Code(rule->multiple ? ", true, " : ", false, ");
            PutPostedKey(line.Code("zestrel_posted("), field).Code(OneLine(rule) ? "))" : ")");
        },
        ";");
}

// What the server must offer: a PHP test that holds when it does, what
// it is, and what the log says when it is missing.
struct Requirement {
    std::string_view present;
    std::string_view what;
    std::string_view missing;
};

std::vector<Requirement> Requirements(const Context& context)
{
    std::vector<Requirement> needs;
    if (context.Connects())
        needs.push_back({"class_exists('mysqli')", "PHP's mysqli extension, for the database",
            "this PHP lacks the mysqli extension, which the database needs: ask the host to enable it "
            "(on Debian and Ubuntu: apt install php-mysql)"});
    const ScriptSettings& s = context.settings;
    if (s.sendMail && !s.smtp)
        needs.push_back({"function_exists('mail')", "PHP's mail(), for the mail",
            "this PHP has no mail() function (disable_functions in php.ini): ask the host to allow it"});
    if (s.sendMail && s.smtp)
        needs.push_back({"function_exists('stream_socket_client')", "PHP's network connections, for the mail server",
            "this PHP may not open network connections (stream_socket_client is in disable_functions), which the "
            "mail server needs: ask the host to allow it"});
    if (!context.FileFields().empty())
        needs.push_back({"(bool) ini_get('file_uploads')", "PHP's file uploads, for the files the form sends",
            "this PHP takes no files (file_uploads is off in php.ini), so the form's files cannot arrive: ask the "
            "host to turn file_uploads on"});
    if (!context.FileFields().empty())
        needs.push_back({"class_exists('finfo')", "PHP's fileinfo extension, for the files the form sends",
            "this PHP lacks the fileinfo extension, which checking the form's files needs: ask the host to enable it "
            "(on Debian and Ubuntu it comes with PHP itself)"});
    if (s.sendMail && s.smtp && s.smtp->security != SmtpServer::Security::None)
        needs.push_back({"extension_loaded('openssl')", "PHP's openssl extension, for TLS to the mail server",
            "this PHP lacks the openssl extension, which TLS to the mail server needs: ask the host to enable it"});
    return needs;
}

// What the server must offer, checked before anything else, so that a
// missing part gives the failure page and a log line rather than PHP's error.
void AddRequirements(const Context& context, Lines& out)
{
    for (const Requirement& need : Requirements(context)) {
        out.push_back(PhpLine().Code("if (!", need.present, ") {").Take());
        out.push_back(PhpLine().Code("    zestrel_log(").String(need.missing).Code(");").Take());
        out.emplace_back(context.FormTasks()
                ? "    zestrel_failed();"
                : "    zestrel_message(500, 'Sorry: this page cannot work on this server right now.');");
        out.emplace_back("}");
    }
}

// A table the script reads or writes: the columns it uses, each once in the
// order the settings name them, with the most characters the form's rule
// allows in it (0: no limit).
struct UsedTable {
    std::string_view name;
    std::vector<std::pair<std::string_view, std::size_t>> columns;
    std::unordered_map<std::string_view, std::size_t> places; // of each column in `columns`
};

std::vector<UsedTable> UsedTables(const Context& context)
{
    const ScriptSettings& s = context.settings;
    std::vector<UsedTable> tables;
    const auto use = [&tables, &context](std::string_view table, std::string_view column) {
        if (table.empty() || column.empty())
            return;
        auto used = std::find_if(tables.begin(), tables.end(), [table](const UsedTable& t) { return t.name == table; });
        if (used == tables.end())
            used = tables.insert(used, UsedTable{table, {}, {}});
        const FieldRule* rule = RuleForColumn(context, column);
        const std::string_view most = rule ? std::string_view(rule->maxLength) : std::string_view();
        const bool whole =
            !most.empty() && most.size() < 10 && most.find_first_not_of("0123456789") == std::string_view::npos;
        std::size_t allowed = 0;
        if (whole)
            std::from_chars(most.data(), most.data() + most.size(), allowed);
        const auto [place, added] = used->places.try_emplace(column, used->columns.size());
        if (added)
            used->columns.emplace_back(column, allowed);
        else
            used->columns[place->second].second = std::max(used->columns[place->second].second, allowed);
    };
    if (s.insertRecord)
        for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i)
            if (!s.insertValues[i].empty())
                use(s.insertTable, s.insertFields[i]);
    if (s.displayAll)
        for (const std::string& column : s.displayAllFields)
            use(s.displayAllTable, column);
    if (s.displaySpecific) {
        for (const std::string& column : s.displaySpecificFields)
            use(s.displaySpecificTable, column);
        use(s.displaySpecificTable, s.whereField);
    }
    return tables;
}

// How the mail goes, in the owner's words.
std::string MailWay(const ScriptSettings& s)
{
    if (!s.sendMail)
        return {};
    if (!s.smtp)
        return "through PHP's mail()";
    const SmtpServer& smtp = *s.smtp;
    const std::string_view security = smtp.security == SmtpServer::Security::StartTls ? "STARTTLS"
        : smtp.security == SmtpServer::Security::Tls                                  ? "TLS"
                                                                                      : "no encryption";
    return "through the mail server " + smtp.host + ":" + std::to_string(smtp.port) + " with " + std::string(security);
}

// The owner's self-check at the script's address with ?check, before the
// requirements, so that it can say what is missing; with mail, its button
// sends a test mail by a post from this site.
void AddSelfCheck(const Context& context, Lines& out)
{
    out.emplace_back();
    out.emplace_back("// The owner's self-check.");
    out.emplace_back("if (isset($_GET['check'])) {");
    out.emplace_back("    zestrel_owner_only();");
    out.emplace_back("    $test = null;");
    if (context.settings.sendMail) {
        out.emplace_back(
            "    if (($_SERVER['REQUEST_METHOD'] ?? 'GET') === 'POST' && isset($_POST['zestrel_test_mail'])) {");
        out.emplace_back("        if (zestrel_from_other_site()) {");
        out.emplace_back(
            "            zestrel_message(403, 'This form can only be sent from the pages of its own site.');");
        out.emplace_back("        }");
        out.emplace_back("        $test = zestrel_test_mail();");
        out.emplace_back("    }");
    }
    AppendArray(
        out, "    ", "zestrel_self_check(", Requirements(context),
        [](PhpLine& line, const Requirement& need) {
            line.Code("[", need.present, ", ").String(need.what).Code(", ").String(need.missing).Code("]");
        },
        std::string(", ") + (context.Connects() ? "true" : "false") + ", [");
    for (const UsedTable& table : UsedTables(context)) {
        PhpLine line("        ");
        line.String(table.name).Code(" => [");
        bool first = true;
        for (const auto& [column, most] : table.columns) {
            line.Code(first ? "" : ", ").String(column).Code(" => ", std::to_string(most));
            first = false;
        }
        out.push_back(line.Code("],").Take());
    }
    out.push_back(PhpLine("    ").Code("], ").String(MailWay(context.settings)).Code(", $test);").Take());
    out.emplace_back("}");
}

// A test mail to the recipient through the script's own transport, and what
// came of it. A recipient that the form sends gets none.
void AddTestMail(const Context& context, Lines& out)
{
    // Only what the mail needs: no field of the form goes into it, so the
    // test mail's own settings need none of the lists.
    const ScriptSettings& s = context.settings;
    const bool posted = ResolveValue(s.recipient, context.fields).posted;
    ScriptSettings test;
    test.target = s.target;
    test.sendMail = true;
    test.recipient = s.recipient;
    test.subject = "Test mail from the self-check of your form's script";
    if (!ResolveValue(s.sender, context.fields).posted)
        test.sender = s.sender;
    test.smtp = s.smtp;
    test.mailFrom = s.mailFrom;
    const Context testContext(test);
    out.emplace_back();
    out.emplace_back("// A test mail for the owner's self-check: what came of it, and the conversation.");
    out.emplace_back("function zestrel_test_mail(): array");
    out.emplace_back("{");
    if (posted) {
        out.emplace_back("    return [false, 'The recipient comes from the form, so no test mail can be sent.', []];");
        out.emplace_back("}");
        return;
    }
    out.emplace_back("    $heard = static fn() => function_exists('zestrel_smtp_heard') ? zestrel_smtp_heard() : [];");
    out.emplace_back("    try {");
    const std::size_t start = out.size();
    AddSafeMail(testContext, "        ", out);
    // The body says what the mail is.
    const auto body =
        std::find(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), "        $body = zestrel_mail_body([");
    if (body != out.end())
        out.insert(body + 1,
            "            ['Self-check', 'This test mail came from the self-check of your form\\'s script: mail from "
            "the form comes the same way.'],");
    out.emplace_back("        return [true, 'A test mail went to ' . $to . '.', $heard()];");
    out.emplace_back("    } catch (Throwable $e) {");
    out.emplace_back("        return [false, 'The test mail failed: ' . $e->getMessage(), $heard()];");
    out.emplace_back("    }");
    out.emplace_back("}");
}

// The owner's post: the table tasks, for the owner only. With records, the
// page goes on to show them.
void AddOwnerPost(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string inner = std::string(indent) + "    ";
    const auto line = [&out](std::string_view at, std::string_view code) {
        out.push_back(PhpLine().Code(at, code).Take());
    };
    line(indent, "zestrel_owner_only();");
    line(indent, "try {");
    line(inner, "$db = zestrel_db();");
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

// PHP drops the files beyond max_file_uploads without a word: such a post is
// refused whole rather than kept in part.
void AddDroppedFilesCheck(const Context& context, std::string_view indent, Lines& out)
{
    if (context.FileFields().empty())
        return;
    const std::string inner = std::string(indent) + "    ";
    out.push_back(PhpLine(indent).Code("if (zestrel_files_dropped()) {").Take());
    out.push_back(
        PhpLine(inner)
            .Code("zestrel_log('a post held more files than max_file_uploads, so PHP dropped some: none was kept');")
            .Take());
    out.push_back(PhpLine(inner)
                      .Code("zestrel_refuse(['The form holds more files than this server takes at once: please send "
                            "fewer files.']);")
                      .Take());
    out.push_back(PhpLine(indent).Code("}").Take());
}

// The form's files, checked with its rules, kept in the upload folder; each
// file field's value becomes what the record and the mail say of its files.
void AddKeepFiles(const Context& context, std::string_view indent, Lines& out)
{
    const std::vector<std::string_view> files = context.FileFields();
    if (files.empty())
        return;
    const std::string inner = std::string(indent) + "    ";
    out.push_back(PhpLine(indent).Code("try {").Take());
    AppendArray(
        out, inner, "$form = zestrel_keep_files(", files,
        [](PhpLine& line, std::string_view field) {
            PutPostedKey(line.Code("[").String(field).Code(", "), field).Code("]");
        },
        ") + $form;");
    out.push_back(PhpLine(indent).Code("} catch (Throwable $e) {").Take());
    out.push_back(PhpLine(inner).Code("zestrel_log('the form\\'s files were not kept: ' . $e->getMessage());").Take());
    out.push_back(PhpLine(inner).Code("zestrel_failed();").Take());
    out.push_back(PhpLine(indent).Code("}").Take());
}

// The form's post: the flood limit, the spam trap and the form's rules, then
// the record and the mail. A record the database does not take still goes
// out by mail, with a note that says why; the mail's failure stops the rest.
void AddFormPost(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string inner = std::string(indent) + "    ";
    const auto line = [&out](std::string_view at, std::string_view code) {
        out.push_back(PhpLine().Code(at, code).Take());
    };
    line(indent, "$wait = zestrel_flood('post', true);");
    line(indent, "if ($wait > 0) {");
    line(inner, "zestrel_too_often($wait);");
    line(indent, "}");
    // Forms made before the trap got its name carry the old one.
    std::string trap;
    for (const char* name : kSpamTrapFields)
        trap += PhpLine().Code(trap.empty() ? "if (" : " || ", "zestrel_posted(", PhpString(name), ") !== ''").Take();
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
    line(inner, "zestrel_refuse_too_large();");
    line(inner,
        "zestrel_log('a post without any of the form\\'s fields: sent by a robot, or larger than post_max_size');");
    line(inner, "zestrel_failed();");
    line(indent, "}");
    AddDroppedFilesCheck(context, indent, out);
    AddRuleCheck(context, indent, out);
    AddKeepFiles(context, indent, out);
    if (s.insertRecord) {
        line(indent, "$unstored = '';");
        line(indent, "try {");
        line(inner, "$db = zestrel_db();");
        AddSafeInsert(context, inner, out);
        line(indent, "} catch (Throwable $e) {");
        line(inner, "$unstored = zestrel_unstored($e, " + PhpString(s.insertTable) + ");");
        line(inner, "zestrel_log('the record was not stored: ' . $e->getMessage());");
        line(indent, "}");
    }
    if (s.sendMail) {
        line(indent, "try {");
        AddSafeMail(context, inner, out);
        line(indent, "} catch (Throwable $e) {");
        line(inner, "zestrel_log($e->getMessage());");
        line(inner, "zestrel_failed();");
        line(indent, "}");
    } else {
        line(indent, "if ($unstored !== '') {");
        line(inner, "zestrel_failed();");
        line(indent, "}");
    }
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
        out.push_back(PhpLine().Code("    if (isset($_POST[", PhpString(kOwnerTask), "])) {").Take());
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
    // The records page offers the owner's tasks itself.
    if (context.OwnerTasks() && !context.Inbox())
        out.emplace_back("zestrel_owner_button();");
    out.emplace_back("try {");
    out.emplace_back("    $db = zestrel_db();");
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
    if (context.SelfChecks() && settings.sendMail)
        AddTestMail(context, out);

    if (!context.fields.Empty())
        AddForm(context, out);
    out.emplace_back();
    out.emplace_back("zestrel_headers();");
    if (context.SelfChecks())
        AddSelfCheck(context, out);
    AddRequirements(context, out);
    if (context.Changes())
        out.emplace_back("$method = $_SERVER['REQUEST_METHOD'] ?? 'GET';");
    if (context.Inbox() && !context.FileFields().empty()) {
        out.emplace_back();
        out.emplace_back("// A kept file, for the owner.");
        out.emplace_back("if (isset($_GET['file'])) {");
        out.emplace_back("    zestrel_owner_only();");
        out.emplace_back("    zestrel_download(zestrel_query('file'), zestrel_query('name'));");
        out.emplace_back("}");
    }
    if (context.Inbox())
        AddSafeDelete(context, out);

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
