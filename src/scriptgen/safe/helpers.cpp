#include "scriptgen/postedname.h"
#include "scriptgen/safe/php.h"
#include "scriptgen/safe/phpblocks.h"
#include "scriptgen/safe/rules.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/safe/smtp.h"

namespace scriptgen::safe {

void AppendBlock(Lines& out, std::string_view block)
{
    while (!block.empty()) {
        const std::size_t end = block.find('\n');
        out.emplace_back(block.substr(0, end));
        if (end == std::string_view::npos)
            break;
        block.remove_prefix(end + 1);
    }
}

PhpLine& PutValue(PhpLine& line, const Context& context, std::string_view box)
{
    const Value value = ResolveValue(box, context.fields);
    if (value.posted)
        return line.Code("$form[").String(value.text).Code("]");
    return line.String(value.text);
}

PhpLine& PutPostedKey(PhpLine& line, std::string_view field)
{
    if (KeptAsNamed(field))
        return line.String(field);
    const std::optional<std::string> key = PostedKey(field);
    return line.String(key ? std::string_view(*key) : field);
}

// The PHP functions a safe script may call, from the files of safe/php. They
// hold no text from the window: the script passes that in as literals.
void AddHelperFunctions(const Context& context, Lines& out)
{
    const ScriptSettings& s = context.settings;
    AppendBlock(out, blocks::kPage);
    if (!s.templatePage.empty()) {
        AppendBlock(out, blocks::kTemplate);
        out.push_back("const ZESTREL_TEMPLATE = " + PhpString(s.templatePage) + ";");
    }
    if (!context.fields.Empty() || context.Changes())
        AppendBlock(out, blocks::kPosted);
    if (context.Changes() || context.SelfChecks())
        AppendBlock(out, blocks::kRequest);
    if (context.Changes())
        AppendBlock(out, blocks::kGuards);
    if (context.FormTasks() || context.SelfChecks()) {
        AppendBlock(out, blocks::kFlood);
        out.emplace_back();
        out.emplace_back("// Where the flood limit keeps its counts: the script's database, if it has one");
        out.emplace_back("// and it answers, else the file, so that the owner can still sign in to the");
        out.emplace_back("// self-check while the database is down.");
        out.emplace_back("function zestrel_flood_database(): ?mysqli");
        out.emplace_back("{");
        if (context.Connects()) {
            out.emplace_back("    try {");
            out.emplace_back("        return zestrel_db();");
            out.emplace_back("    } catch (Throwable $e) {");
            out.emplace_back("        return null;");
            out.emplace_back("    }");
        } else {
            out.emplace_back("    return null;");
        }
        out.emplace_back("}");
    }
    if (context.SelfChecks()) {
        AppendBlock(out, blocks::kOwner);
        out.emplace_back();
        out.emplace_back("// The owner password, as a salted hash: the password itself is nowhere.");
        out.push_back("const ZESTREL_OWNER_HASH = " + PhpString(OwnerHash(s.ownerPassword)) + ";");
    }
    if (s.sendMail)
        AppendBlock(out, blocks::kMail);
    if (s.sendMail && s.smtp)
        AddSmtpFunctions(out);
    if (s.insertRecord)
        AppendBlock(out, blocks::kLengths);
    const bool rules = context.FormTasks() && !CheckedRules(context).empty();
    if (rules)
        AddRuleFunctions(out);
    if (rules || s.insertRecord)
        AddRefusal(out);
    if (!context.FileFields().empty()) {
        AppendBlock(out, blocks::kUploads);
        out.push_back("const ZESTREL_UPLOADS = " + PhpString(s.uploadFolder) + ";");
        out.emplace_back("// The most a mail with attached files may hold, as large mail providers take.");
        out.emplace_back("const ZESTREL_ATTACH_MOST = 26214400;");
    }
    if (context.Displays() || context.SelfChecks())
        AppendBlock(out, blocks::kRows);
    if (context.SelfChecks())
        AppendBlock(out, blocks::kSelfcheck);
    if (context.Inbox())
        AppendBlock(out, blocks::kRecords);
}

} // namespace scriptgen::safe
