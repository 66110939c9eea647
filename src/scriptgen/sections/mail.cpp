#include "scriptgen/phpline.h"
#include "scriptgen/sections/sections.h"

namespace scriptgen {

namespace {

// A box that begins with "$" names a PHP variable and stands as it is;
// anything else becomes a single-quoted PHP literal.
std::string DollarRule(const std::string& box)
{
    if (!box.empty() && box.front() == '$')
        return box;
    return "'" + box + "'";
}

// The mail body as a PHP double-quoted string: one "label: value" line per
// ticked item. The label copy has each "$" escaped so that PHP prints the
// item as written; the value copy is left alone so that PHP puts the posted
// value there. "\n" is written as the two characters of PHP's escape.
void PutMailBody(PhpLine& line, const std::vector<MailItem>& items)
{
    line.Code('"');
    for (const MailItem& item : items) {
        if (!item.checked)
            continue;
        // The label, copied in runs with a backslash before every "$".
        std::string_view rest = item.text;
        for (std::size_t dollar = rest.find('$'); dollar != std::string_view::npos; dollar = rest.find('$')) {
            line.Code(rest.substr(0, dollar), "\\$");
            rest.remove_prefix(dollar + 1);
        }
        line.Code(rest, ": ", item.text, "\\n");
    }
    line.Code('"');
}

void AppendRedirect(Lines& out, const std::string& page)
{
    PhpLine().Code("echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=", page, "'></HEAD></HTML>\";").AddTo(out);
}

} // namespace

// Mails the ticked variables, then sends the browser to the success page, or
// to the failure page when the mail could not be handed over. The mail line
// has no semicolon: it is the condition of the if.
void AddMailSection(const ScriptSettings& s, Lines& out)
{
    const std::string recipient = DollarRule(s.recipient);
    const std::string subject = DollarRule(s.subject);
    PhpLine line;
    line.Code("if(mail(", recipient, ',', subject, ',');
    PutMailBody(line, s.mailVariables);
    line.Code(",\"From:", s.sender, "\\r\\nReply-to:", s.sender, "\"))").AddTo(out);
    AppendRedirect(out, s.successPage);
    out.emplace_back("else");
    AppendRedirect(out, s.failurePage);
    out.emplace_back(" ");
}

} // namespace scriptgen
