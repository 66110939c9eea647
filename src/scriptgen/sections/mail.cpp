#include "scriptgen/sections/sections.h"
#include "scriptgen/sections/text.h"

#include <algorithm>

namespace scriptgen {

namespace {

// A box that begins with "$" names a PHP variable and stands as it is;
// anything else becomes a single-quoted PHP literal.
std::string DollarRule(const std::string& box)
{
    if (!box.empty() && box.front() == '$')
        return box;
    return text::Concat("'", box, "'");
}

// The mail body as a PHP double-quoted string: one "label: value" line per
// ticked item. The label copy has each "$" escaped so that PHP prints the
// item as written; the value copy is left alone so that PHP puts the posted
// value there. "\n" is written as the two characters of PHP's escape.
std::size_t MailBodySize(const std::vector<MailItem>& items)
{
    std::size_t size = 2;
    for (const MailItem& item : items)
        if (item.checked)
            size += 2 * item.text.size() + 4 +
                static_cast<std::size_t>(std::count(item.text.begin(), item.text.end(), '$'));
    return size;
}

void PutMailBody(text::LineWriter& line, const std::vector<MailItem>& items)
{
    line.Put('"');
    for (const MailItem& item : items) {
        if (!item.checked)
            continue;
        // The label, copied in runs with a backslash before every "$".
        std::string_view rest = item.text;
        for (std::size_t dollar = rest.find('$'); dollar != std::string_view::npos; dollar = rest.find('$')) {
            line.Put(rest.substr(0, dollar)).Put("\\$");
            rest.remove_prefix(dollar + 1);
        }
        line.Put(rest);
        line.Put(": ").Put(item.text).Put("\\n");
    }
    line.Put('"');
}

void AppendRedirect(Lines& out, const std::string& page)
{
    text::Append(out, "echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=", page, "'></HEAD></HTML>\";");
}

} // namespace

// Mails the ticked variables, then sends the browser to the success page, or
// to the failure page when the mail could not be handed over. The mail line
// has no semicolon: it is the condition of the if.
void AddMailSection(const ScriptSettings& s, Lines& out)
{
    const std::string recipient = DollarRule(s.recipient);
    const std::string subject = DollarRule(s.subject);
    constexpr std::string_view kFrom = ",\"From:";
    constexpr std::string_view kReplyTo = "\\r\\nReply-to:";
    constexpr std::string_view kOpening = "if(mail(";
    constexpr std::string_view kEnd = "\"))";
    text::LineWriter line(kOpening.size() + recipient.size() + 1 + subject.size() + 1 + MailBodySize(s.mailVariables) +
        kFrom.size() + s.sender.size() + kReplyTo.size() + s.sender.size() + kEnd.size());
    line.Put(kOpening).Put(recipient).Put(',').Put(subject).Put(',');
    PutMailBody(line, s.mailVariables);
    line.Put(kFrom).Put(s.sender).Put(kReplyTo).Put(s.sender).Put(kEnd);
    out.push_back(std::move(line).Finish());
    AppendRedirect(out, s.successPage);
    out.emplace_back("else");
    AppendRedirect(out, s.failurePage);
    out.emplace_back(" ");
}

} // namespace scriptgen
