#include "scriptgen/safe/sections.h"
#include "scriptgen/safe/smtp.h"

namespace scriptgen::safe {

// Mails the ticked fields, one "label: value" line each, as UTF-8 text. No
// header carries a line break: a posted address is used only when it is one
// valid address, the subject is cleaned and encoded, and a posted sender goes
// to Reply-To while the mail itself comes from the site's own address.
void AddSafeMail(const Context& context, std::string_view indent, Lines& out)
{
    const ScriptSettings& s = context.settings;
    const auto line = [indent]() { return PhpLine(indent); };
    out.emplace_back();
    out.push_back(line().Code("// Mail the ticked fields.").Take());

    if (ResolveValue(s.recipient, context.fields).posted) {
        PhpLine to = line();
        PutValue(to.Code("$to = zestrel_address("), context, s.recipient).Code(");");
        out.push_back(to.Take());
        out.push_back(line().Code("if ($to === '') {").Take());
        out.push_back(line()
                          .Code("    throw new RuntimeException('the recipient address the form sent is not one "
                                "e-mail address');")
                          .Take());
        out.push_back(line().Code("}").Take());
    } else {
        std::string list;
        for (const std::string_view address : SplitAddresses(s.recipient))
            if (!address.empty())
                list.append(list.empty() ? "" : ", ").append(address);
        out.push_back(line().Code("$to = ").String(list).Code(";").Take());
    }

    out.push_back(line().Code("$headers = [").Take());
    out.push_back(line().Code("    'MIME-Version' => '1.0',").Take());
    out.push_back(line().Code("    'Content-Type' => 'text/plain; charset=UTF-8',").Take());
    out.push_back(line().Code("    'Content-Transfer-Encoding' => 'quoted-printable',").Take());
    out.push_back(line().Code("];").Take());
    if (ResolveValue(s.sender, context.fields).posted) {
        PhpLine replyTo = line();
        PutValue(replyTo.Code("$replyTo = zestrel_address("), context, s.sender).Code(");");
        out.push_back(replyTo.Take());
        out.push_back(line().Code("if ($replyTo !== '') {").Take());
        out.push_back(line().Code("    $headers['Reply-To'] = $replyTo;").Take());
        out.push_back(line().Code("}").Take());
    } else if (!s.sender.empty() && s.mailFrom.empty()) {
        out.push_back(line().Code("$headers['From'] = ").String(s.sender).Code(";").Take());
    } else if (!s.sender.empty() && s.sender != s.mailFrom) {
        out.push_back(line().Code("$headers['Reply-To'] = ").String(s.sender).Code(";").Take());
    }
    // The site's own address: mail from it is what SPF, DKIM and DMARC let
    // through.
    if (!s.mailFrom.empty())
        out.push_back(line().Code("$headers['From'] = ").String(s.mailFrom).Code(";").Take());

    // One line per ticked field, named as the form names it to people.
    std::vector<std::pair<std::string_view, std::string_view>> ticked;
    for (const MailItem& item : s.mailVariables) {
        const std::string_view field = item.checked ? MailField(item.text, context.fields) : std::string_view();
        if (!field.empty())
            ticked.emplace_back(context.Label(field), field);
    }
    // The files of the ticked file fields go along as attachments.
    std::vector<std::string_view> files;
    for (const auto& [label, field] : ticked)
        if (const FieldRule* rule = context.Rule(field); rule && rule->type == "file" && !context.FileFields().empty())
            files.push_back(field);
    const auto entry = [](PhpLine& line, const std::pair<std::string_view, std::string_view>& field) {
        line.Code("[").String(field.first).Code(", $form[").String(field.second).Code("]]");
    };
    if (!s.insertRecord) {
        AppendArray(out, indent, "$body = zestrel_mail_body(", ticked, entry, ");");
    } else {
        // A record the database did not take reaches the owner by mail whole,
        // with a note that says why.
        AppendArray(out, indent, "$lines = ", ticked, entry, ";");
        out.push_back(line().Code("$note = '';").Take());
        out.push_back(line().Code("if ($unstored !== '') {").Take());
        std::vector<std::pair<std::string_view, std::string_view>> every;
        for (const std::string_view field : context.fields.InOrder())
            every.emplace_back(context.Label(field), field);
        AppendArray(out, std::string(indent) + "    ", "$lines = ", every, entry, ";");
        out.push_back(line()
                          .Code("    $note = 'This message was not stored in the database: ' . $unstored . '. Every "
                                "value the form sent is below.';")
                          .Take());
        out.push_back(line().Code("}").Take());
        out.push_back(line().Code("$body = zestrel_mail_body($lines, $note);").Take());
    }
    // A posted subject is cut to 200 characters: a long one would only fill
    // PHP's memory.
    PhpLine subject = line();
    subject.Code("$subject = zestrel_header_text(");
    if (ResolveValue(s.subject, context.fields).posted)
        PutValue(subject.Code("zestrel_cut("), context, s.subject).Code(", 200)");
    else
        PutValue(subject, context, s.subject);
    out.push_back(subject.Code(");").Take());
    if (!files.empty()) {
        PhpLine mailed = line();
        mailed.Code("$files = zestrel_mailed_files([");
        for (std::size_t i = 0; i < files.size(); ++i)
            mailed.Code(i > 0 ? ", " : "").Code("$form[").String(files[i]).Code("]");
        out.push_back(mailed.Code("]);").Take());
    }

    if (s.smtp && !files.empty()) {
        out.push_back(line()
                          .Code("zestrel_smtp_send(")
                          .Code(SmtpServerLiteral(*s.smtp))
                          .Code(", ")
                          .String(s.mailFrom)
                          .Code(", array_map('trim', explode(',', $to)),")
                          .Take());
        out.push_back(line()
                          .Code("    static function (int $largest) use ($to, $subject, $body, $headers, $files): "
                                "iterable {")
                          .Take());
        out.push_back(line()
                          .Code("        [$withFiles, $parts] = zestrel_with_files($headers, $body, $files, $largest);")
                          .Take());
        out.push_back(line().Code("        return zestrel_smtp_parts($to, $subject, $parts, $withFiles);").Take());
        out.push_back(line().Code("    });").Take());
        return;
    }
    if (!files.empty()) {
        // mail() takes the message as one string.
        out.push_back(
            line().Code("[$headers, $parts] = zestrel_with_files($headers, $body, $files, PHP_INT_MAX);").Take());
        out.push_back(line().Code("$body = implode('', iterator_to_array($parts, false));").Take());
    }
    if (s.smtp) {
        out.push_back(line()
                          .Code("zestrel_smtp_send(")
                          .Code(SmtpServerLiteral(*s.smtp))
                          .Code(", ")
                          .String(s.mailFrom)
                          .Code(",")
                          .Take());
        out.push_back(line()
                          .Code("    array_map('trim', explode(',', $to)), zestrel_smtp_message($to, $subject, $body, "
                                "$headers));")
                          .Take());
        return;
    }
    PhpLine send = line();
    send.Code("if (!mail($to, $subject, $body, $headers");
    // The envelope sender, for the bounces and for SPF.
    if (!s.mailFrom.empty())
        send.Code(", ").String("-f" + s.mailFrom);
    out.push_back(send.Code(")) {").Take());
    out.push_back(
        line()
            .Code("    throw new RuntimeException('mail() could not hand the message to the mail transport');")
            .Take());
    out.push_back(line().Code("}").Take());
}

} // namespace scriptgen::safe
