#include "scriptgen/safe/php.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/sections/text.h"

namespace scriptgen::safe {

// Mails the ticked fields, one "name: value" line each, as UTF-8 text. No
// header carries a line break: a posted address is used only when it is one
// valid address, the subject is cleaned and encoded, and a posted sender goes
// to Reply-To while the mail itself comes from the site's own address.
void AddSafeMail(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const std::string in(indent);
    out.emplace_back();
    out.push_back(in + "// Mail the ticked fields.");

    const Value recipient = ResolveValue(s.recipient, context.fields);
    if (recipient.posted) {
        out.push_back(text::Concat(in, "$to = zestrel_address(", PhpValue(context, s.recipient), ");"));
        out.push_back(in + "if ($to === '') {");
        out.push_back(
            in + "    throw new RuntimeException('the recipient address the form sent is not one e-mail address');");
        out.push_back(in + "}");
    } else {
        std::string list;
        for (const std::string_view address : SplitAddresses(s.recipient))
            if (!address.empty())
                list.append(list.empty() ? "" : ", ").append(address);
        out.push_back(text::Concat(in, "$to = ", PhpString(list), ";"));
    }

    out.push_back(in + "$headers = [");
    out.push_back(in + "    'MIME-Version' => '1.0',");
    out.push_back(in + "    'Content-Type' => 'text/plain; charset=UTF-8',");
    out.push_back(in + "    'Content-Transfer-Encoding' => 'quoted-printable',");
    out.push_back(in + "];");
    const Value sender = ResolveValue(s.sender, context.fields);
    if (sender.posted) {
        out.push_back(text::Concat(in, "$replyTo = zestrel_address(", PhpValue(context, s.sender), ");"));
        out.push_back(in + "if ($replyTo !== '') {");
        out.push_back(in + "    $headers['Reply-To'] = $replyTo;");
        out.push_back(in + "}");
    } else if (!s.sender.empty()) {
        out.push_back(text::Concat(in, "$headers['From'] = ", PhpString(s.sender), ";"));
    }

    std::vector<std::string> lines;
    for (const MailItem& item : s.mailVariables) {
        if (!item.checked || item.text.size() < 2 || item.text.front() != '$')
            continue;
        const std::string_view field = std::string_view(item.text).substr(1);
        if (context.fields.Contains(field))
            lines.push_back(text::Concat("[", PhpString(field), ", $form[", PhpString(field), "]]"));
    }
    AppendArray(out, indent, "$body = zestrel_mail_body(", lines, ");");
    out.push_back(text::Concat(
        in, "if (!mail($to, zestrel_header_text(", PhpValue(context, s.subject), "), $body, $headers)) {"));
    out.push_back(in + "    throw new RuntimeException('mail() could not hand the message to the mail transport');");
    out.push_back(in + "}");
}

} // namespace scriptgen::safe
