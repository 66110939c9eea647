#include "mainwindow/problemtext.h"

#include "mainwindow/controlrow.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace zestrel {

namespace {

using scriptgen::Issue;
using scriptgen::Problem;
using scriptgen::Setting;

// A text as a message quotes it; a long one is cut after 40 characters.
std::string Shown(std::string_view text)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size() && characters < 40; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xc0u) == 0x80u)
            ++end;
    }
    std::string shown = "\"" + std::string(text.substr(0, end));
    if (end < text.size())
        shown += "\xe2\x80\xa6"; // an ellipsis
    return shown + "\"";
}

// How a message names the box of a setting: the caption the user sees.
std::string Caption(Setting setting)
{
    return SettingName(setting).toStdString();
}

// The caption in quotes and the page it is on, as a message points there.
std::string Where(Setting setting)
{
    return "\"" + Caption(setting) + "\" on the page " + PageOf(setting).toStdString();
}

// The box, and the line of a list or the row of the grid the problem is on.
std::string Label(const Problem& p)
{
    if (p.line == 0)
        return Caption(p.setting);
    const char* unit = p.setting == Setting::InsertValues ? ", row " : ", line ";
    return Caption(p.setting) + unit + std::to_string(p.line);
}

std::string PageHint(Setting page)
{
    return std::string(": type the address of the page to show ") +
        (page == Setting::SuccessPage ? "after the mail was sent" : "when the mail could not be sent") +
        ", such as thanks.html.";
}

// What to type into an empty box.
std::string EmptyHint(Setting setting)
{
    switch (setting) {
    case Setting::Host:
        return ": type the name of the MySQL server, such as localhost.";
    case Setting::UserName:
        return ": type the MySQL user the script connects as.";
    case Setting::Recipient:
        return ": type the address that must get the mail, or pick a field of the form.";
    case Setting::Subject:
        return ": type the subject of the mail, or pick a field of the form.";
    case Setting::SuccessPage:
    case Setting::FailurePage:
        return PageHint(setting);
    case Setting::InsertFields:
        return ": type the names of the table's fields, one per line.";
    case Setting::DisplayAllFields:
    case Setting::DisplaySpecificFields:
        return ": type the fields to show, one per line.";
    case Setting::UploadFolder:
        return ", but the form sends files: type the folder on your server that keeps them, such as "
               "/home/site/uploads, outside the site's web folder.";
    default:
        return ": type the name as it is in the database.";
    }
}

std::string Sentence(const Problem& p)
{
    const std::string label = Label(p);
    const std::string shown = Shown(p.text);
    const std::string host = "Host \"" + p.text + "\"";
    switch (p.issue) {
    case Issue::NoTask:
        return "No task is ticked: tick what the script must do, such as \"" + Caption(Setting::SendMail) + "\" or \"" +
            Caption(Setting::InsertRecord) + "\".";
    case Issue::NeedsDatabase:
        return "The database tasks need a database: tick " + Where(Setting::UseDatabase) + " and fill in its boxes.";
    case Issue::NotPostable:
        return label + ": " + shown +
            " is not a name a form can send: it must hold more than blanks and must not begin with \"[\".";
    case Issue::SpamTrapName:
        return label + ": " + shown + " arrives as \"" + p.detail +
            "\", the spam trap, which the script checks by itself: remove the line, or give the form's field another "
            "name.";
    case Issue::NoFields:
        return label + " is empty: type the names of the form's fields, one per line.";
    case Issue::Empty:
        return label + " is empty" + EmptyHint(p.setting);
    case Issue::NotAField:
        if (p.setting == Setting::MailVariables)
            return label + ": " + shown + " is not a field of the form: untick it, or add the field to " +
                Caption(Setting::FieldList) + ".";
        return shown + " in " + label +
            " is not a field of the form: pick one from the list of fields, or correct the "
            "name.";
    case Issue::NotAnAddress:
        if (p.setting == Setting::Sender)
            return label + " " + shown +
                " is not one e-mail address: type the address the mail comes from, such as webmaster@example.org, "
                "pick a field of the form, or leave it empty.";
        return label + " " + shown +
            " is not an e-mail address: type one such as name@example.org (several separated by commas), or pick a "
            "field of the form.";
    case Issue::SampleAddress:
        return label + " " + shown +
            " is a sample address, which receives no mail: type the address that must get "
            "the mail.";
    case Issue::NothingTicked:
        return label + ": no field is ticked: tick the fields the mail must carry.";
    case Issue::StillDefault:
        return label + " still shows " + shown + PageHint(p.setting);
    case Issue::ControlCharacter:
        if (p.setting == Setting::OwnerPassword)
            return label + " holds a control character, which a browser cannot send: type the password again.";
        return label + " holds a line break or another control character" + PageHint(p.setting);
    case Issue::OwnerPasswordForTables:
        return label +
            " is empty, but creating and deleting a table must be kept to you: type an owner password on the page " +
            PageOf(p.setting).toStdString() +
            ", and sign in with the user name owner and that password to run the script.";
    case Issue::OwnerPasswordForRecords:
        return label + " is empty, so anyone could read every stored record: type an owner password on the page " +
            PageOf(p.setting).toStdString() + ", or tick " + Where(Setting::RecordsPublic) + " if they are public.";
    case Issue::PasswordTooLong:
        return label + " is " + std::to_string(p.count) + " bytes long, but only the first " +
            std::to_string(scriptgen::kMaxOwnerPasswordBytes) + " would count: shorten it.";
    case Issue::PasswordTooShort:
        return label + " has " + std::to_string(p.count) + (p.count == 1 ? " character" : " characters") +
            ", but anyone on the Internet may try passwords on your pages: type one of at least " +
            std::to_string(scriptgen::kMinOwnerPasswordCharacters) + " characters, best a few words.";
    case Issue::PatternSetNotation:
        return label + ", " + shown + ": the pattern " + Shown(p.detail) +
            " uses set notation (&&, --, nested [ ] or \\q{}), which PHP cannot check: write it without.";
    case Issue::PatternReserved:
        return label + ", " + shown + ": the pattern " + Shown(p.detail) +
            " has ( ) { } / | or a - at the edge inside [ ] unescaped, so browsers ignore it: put a \\ before "
            "the character.";
    case Issue::PatternUnreadable:
        return label + ", " + shown + ": the pattern is not a regular expression PHP can read (" + p.detail +
            "): correct it, or clear it.";
    case Issue::LengthNotWhole:
        return label + ", " + shown + ": the length " + Shown(p.detail) +
            " is not a whole number: type one, such as 100, or clear it.";
    case Issue::LimitNotWhole:
        return label + ", " + shown + ": the limit " + Shown(p.detail) +
            " is not a whole number from 1: type one, such as 5, or clear it for the default.";
    case Issue::FolderNotAbsolute:
        return label + " " + shown +
            " is not a full path, so the script could not tell where it starts: type the whole path on your server, "
            "such as /home/site/uploads.";
    case Issue::MinAboveMax: {
        const std::size_t comma = p.detail.find(',');
        return label + ", " + shown + ": the least allowed, " + Shown(p.detail.substr(0, comma)) +
            ", lies above the most allowed, " + Shown(p.detail.substr(comma + 1)) +
            ", so nothing could be sent: swap them.";
    }
    case Issue::LongerThanColumn:
        return label + ", " + shown + ": the form allows " +
            (p.allowed > 0 ? std::to_string(p.allowed) + " characters" : std::string("any length of text")) +
            ", but the column " + Shown(p.detail) + " that Create makes for it holds " + std::to_string(p.count) +
            ", so longer values are refused: name the column after the field, or give the field a smaller Max "
            "length. A table made before keeps its columns: widen the column in the database.";
    case Issue::RecipientFromForm:
        return label + " takes the address from the field " + Shown(p.text) +
            ", so anyone could send mail through your site to any address: type your own address instead (several "
            "separated by commas).";
    case Issue::ValueWithoutField:
        return label + ": " + shown + " stands beside no table field: type the field's name on line " +
            std::to_string(p.line) + " of " + Caption(Setting::InsertFields) + ", or clear the value.";
    case Issue::ListedTwice:
        return label + ": " + shown + " is listed twice: remove one of the two lines.";
    case Issue::NoValues:
        return "No table field has a value: click a field's " + Caption(Setting::InsertValues) +
            " cell and pick a field of the form, or type a value.";
    case Issue::IdColumn:
        return label + ": " + shown +
            " is the record number the script adds by itself: remove the line, or give the field another name.";
    case Issue::TooManyColumns:
        return label + " lists " + std::to_string(p.count) + " fields, but a MySQL table holds at most " +
            std::to_string(scriptgen::kMaxTextColumns) + " text fields of 225 characters: use two tables.";
    case Issue::NameNotUtf8:
        return label + " " + shown + " is not valid UTF-8 text: type the name again.";
    case Issue::NameControlCharacter:
        return label + " " + shown +
            " holds a line break or another control character, which MySQL does not allow: remove it.";
    case Issue::NameTrailingBlank:
        return label + " " + shown + " ends with a blank, which MySQL does not allow: remove the blank.";
    case Issue::NameTooLong:
        return label + " " + shown + " is longer than the " + std::to_string(scriptgen::kMaxNameCharacters) +
            " characters MySQL allows: shorten it.";
    case Issue::NameBeyondBmp:
        return label + " " + shown + " holds " + Shown(p.detail) +
            ", a character MySQL does not allow in names: remove it.";
    case Issue::NameFromForm:
        return label + " " + shown +
            " begins with \"$\", but names of tables and fields cannot come from the form: type the name as it is in "
            "the database.";
    case Issue::ExampleText:
        if (p.setting == Setting::WhereField)
            return label + " still shows " + shown + ": type the name of the field to match.";
        return "The value after \"=\" still shows " + shown + ": pick a field of the form, or type the value to match.";
    case Issue::SmtpHostEmpty:
        return label + ": the SMTP server has no name: type it, such as smtp.example.com, or choose PHP's mail().";
    case Issue::SmtpHostNotAName:
        return label + ": " + shown +
            " is not the name of a server: type only its name, such as smtp.example.com, without smtp:// or a port.";
    case Issue::SmtpPortOutOfRange:
        return label + ": the port " + std::to_string(p.count) +
            " does not exist: type one from 1 to 65535, usually 587 (STARTTLS) or 465 (TLS).";
    case Issue::SmtpWithoutFrom:
        return label +
            ": mail through an SMTP server needs the site's own From address: type the address your "
            "mail account may send as, such as webmaster@example.org.";
    case Issue::SmtpPasswordInClear:
        return label + ": without encryption the password would cross the network to " + shown +
            " as plain text: choose STARTTLS or TLS, or clear the user name if the server needs none.";
    case Issue::SmtpPasswordMissing:
        return label + ": the password of the mail account is empty (settings files never keep it): type it again.";
    case Issue::MailFromNotAnAddress:
        return label + ": the From address " + shown +
            " is not one e-mail address: type the address the site sends as, such as webmaster@example.org, or "
            "leave it empty.";
    case Issue::HostBlank:
        return host + " holds a blank: type the server's name alone, such as localhost.";
    case Issue::HostUnclosedBracket:
        return host + " opens an IPv6 address with \"[\" but does not close it with \"]\": add it, as in [::1]:3307.";
    case Issue::HostAfterBracket:
        return host + " has text after the IPv6 address: only \":\" and a port may follow.";
    case Issue::HostNoServer:
        return host + " names no server before the \":\": type it first, such as localhost" + p.detail + ".";
    case Issue::HostSocketNotLocal:
        return host + ": a socket path can follow localhost only, as in localhost:" + p.detail + ".";
    case Issue::HostBadPort:
        return host + ": the port after \":\" must be a number from 1 to 65535.";
    }
    return label + ": " + shown;
}

} // namespace

QStringList NotesAfterCompile(const scriptgen::ScriptSettings& s)
{
    QStringList notes;
    if (s.target == scriptgen::Target::Safe) {
        for (const Problem& warning : scriptgen::WarnSafeScript(s))
            notes.append(Describe(warning));
        // Any script with an owner password has the owner's self-check.
        if (!s.ownerPassword.empty())
            notes.append(QStringLiteral(
                "Once the script is on your site, open its address with ?check at the end (such as "
                "https://example.com/contact.php?check) and sign in as owner with the owner password: the page "
                "says whether your host can run the script, and can send a test mail."));
        return notes;
    }
    if (s.useDatabase || s.insertRecord || s.displayAll || s.displaySpecific || s.createTable || s.dropTable)
        notes.append(QStringLiteral("This script reaches the database with PHP's old mysql functions, so it needs PHP "
                                    "5 and its mysql extension; the box %1 writes one for current PHP.")
                         .arg(QString::fromStdString(Where(Setting::Target))));
    const auto listed = [&s](const scriptgen::FieldRule& rule) {
        return rule.type == "file" &&
            std::find(s.fieldList.begin(), s.fieldList.end(), rule.field) != s.fieldList.end();
    };
    if (std::any_of(s.fieldRules.begin(), s.fieldRules.end(), listed))
        notes.append(QStringLiteral("The form sends files, which this script ignores; the box %1 writes one that "
                                    "checks them, keeps them and mails them.")
                         .arg(QString::fromStdString(Where(Setting::Target))));
    return notes;
}

QString Describe(const Problem& problem)
{
    return QString::fromStdString(Sentence(problem));
}

} // namespace zestrel
