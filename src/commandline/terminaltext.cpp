#include "commandline/terminaltext.h"

#include <cstdio>
#include <iterator>
#include <string_view>

namespace zestrel {

namespace {

using scriptgen::Issue;
using scriptgen::Setting;

// How a terminal line words one kind of problem. In the text, {k} stands for
// the setting (with its line), {t} and {d} for the problem's text and detail
// in quotes, {n} for its count, {a} for the length a field allows, {o} for the
// key of `other` and {N} for `number`.
struct Wording {
    Issue issue;
    const char* text;
    Setting other = Setting::FieldList;
    std::size_t number = 0;
};

// One row per kind of problem, in the order of scriptgen::Issue.
constexpr Wording kWordings[] = {
    {Issue::NoTask, "no task is on: set {o} or another task to true", Setting::SendMail},
    {Issue::NeedsDatabase, "{k}: the database tasks need it true, with the connection"},
    {Issue::NotPostable, "{k}: {t} is not a name a form can send"},
    {Issue::SpamTrapName, "{k}: {t} arrives as {d}, the spam trap the script checks by itself"},
    {Issue::NoFields, "{k}: names no field"},
    {Issue::Empty, "{k}: empty"},
    {Issue::NotAField, "{k}: {t} is not a field of {o}"},
    {Issue::NotAnAddress, "{k}: {t} is not an e-mail address"},
    {Issue::SampleAddress, "{k}: {t} is a sample address, which receives no mail"},
    {Issue::NothingTicked, "{k}: names no field of {o} to mail"},
    {Issue::StillDefault, "{k}: {t} is not the address of a page"},
    {Issue::ControlCharacter, "{k}: holds a line break or another control character"},
    {Issue::ValueWithoutField, "{k}: {t} stands beside no field of {o}", Setting::InsertFields},
    {Issue::ListedTwice, "{k}: {t} is listed twice"},
    {Issue::NoValues, "{k}: no field of {o} has a value", Setting::InsertFields},
    {Issue::IdColumn, "{k}: {t} is the record number the script adds by itself"},
    {Issue::TooManyColumns, "{k}: {n} fields, but a MySQL table holds at most {N} text fields", Setting::FieldList,
        scriptgen::kMaxTextColumns},
    {Issue::NameNotUtf8, "{k}: {t} is not valid UTF-8"},
    {Issue::NameControlCharacter, "{k}: {t} holds a control character, which MySQL names cannot"},
    {Issue::NameTrailingBlank, "{k}: {t} ends with a blank, which MySQL names cannot"},
    {Issue::NameTooLong, "{k}: {t} is longer than the {N} characters of a MySQL name", Setting::FieldList,
        scriptgen::kMaxNameCharacters},
    {Issue::NameBeyondBmp, "{k}: {t} holds {d}, a character MySQL names cannot"},
    {Issue::NameFromForm, "{k}: {t} begins with \"$\", but names in the database cannot come from the form"},
    {Issue::ExampleText, "{k}: {t} is the example text, not a value"},
    {Issue::OwnerPasswordForTables, "{k} is not set, but creating and deleting tables needs the owner password"},
    {Issue::OwnerPasswordForRecords,
        "{k} is not set, so anyone could read the stored records: set it, or set {o} "
        "to true",
        Setting::RecordsPublic},
    {Issue::PasswordTooLong, "{k}: {n} bytes, but only the first {N} count", Setting::FieldList,
        scriptgen::kMaxOwnerPasswordBytes},
    {Issue::PasswordTooShort, "{k}: {n} characters, fewer than the {N} an owner password needs", Setting::FieldList,
        scriptgen::kMinOwnerPasswordCharacters},
    {Issue::RecipientFromForm,
        "{k}: the address comes from the form's field {t}, so anyone could send mail through "
        "the site to any address"},
    {Issue::PatternSetNotation, "{k}: field {t}: the pattern {d} uses set notation, which PHP cannot check"},
    {Issue::PatternReserved,
        "{k}: field {t}: the pattern {d} has a character inside [ ] unescaped, so browsers "
        "ignore it"},
    {Issue::PatternUnreadable, "{k}: field {t}: PHP cannot read the pattern ({d})"},
    {Issue::LengthNotWhole, "{k}: field {t}: the length {d} is not a whole number"},
    {Issue::MinAboveMax, "{k}: field {t}: the least allowed lies above the most allowed ({d})"},
    {Issue::LimitNotWhole, "{k}: field {t}: the limit {d} is not a whole number from 1"},
    {Issue::FolderNotAbsolute, "{k}: {t} is not a full path"},
    {Issue::LongerThanColumn, "{k}: field {t}: the form allows {a}, but the column {d} holds {n} characters"},
    {Issue::SmtpHostEmpty, "{k}: the mail server has no host"},
    {Issue::SmtpHostNotAName, "{k}: {t} is not the name of a server"},
    {Issue::SmtpPortOutOfRange, "{k}: the port {n} is not one from 1 to 65535"},
    {Issue::SmtpWithoutFrom, "{k}: empty, but mail through {o} needs the site's own From address", Setting::MailServer},
    {Issue::SmtpPasswordInClear, "{k}: without encryption the password would cross the network to {t} as plain text"},
    {Issue::SmtpPasswordMissing, "{k} is not set, but the mail server's user needs its password"},
    {Issue::MailFromNotAnAddress, "{k}: {t} is not one e-mail address"},
    {Issue::HostBlank, "{k}: {t} holds a blank"},
    {Issue::HostUnclosedBracket, "{k}: {t} opens an IPv6 address with \"[\" but does not close it"},
    {Issue::HostAfterBracket, "{k}: {t} has more than a port after the IPv6 address"},
    {Issue::HostNoServer, "{k}: {t} names no server before the \":\""},
    {Issue::HostSocketNotLocal, "{k}: {t}: a socket path can follow localhost only"},
    {Issue::HostBadPort, "{k}: {t}: the port must be a number from 1 to 65535"},
};

constexpr bool EveryIssueInOrder()
{
    for (std::size_t i = 0; i < std::size(kWordings); ++i)
        if (static_cast<std::size_t>(kWordings[i].issue) != i)
            return false;
    return static_cast<std::size_t>(Issue::HostBadPort) + 1 == std::size(kWordings);
}
static_assert(EveryIssueInOrder(), "every kind of problem needs its wording, in the order of Issue");

// A text of the settings file in quotes, its control characters escaped so
// that none reaches the terminal.
std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            quoted += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        quoted += escaped;
    }
    return quoted + "\"";
}

// How the line names the setting: a password by the variable that supplies
// it, anything else by its key, with the line of a list.
std::string Name(const scriptgen::Problem& p)
{
    const scriptgen::SettingInfo& info = scriptgen::InfoOf(p.setting);
    const bool password = info.kind == scriptgen::SettingKind::Secret || p.issue == Issue::SmtpPasswordMissing;
    if (password && !info.variable.empty())
        return std::string(info.variable);
    std::string name(info.key);
    if (p.line > 0)
        name += ", line " + std::to_string(p.line);
    return name;
}

} // namespace

std::string TerminalText(const scriptgen::Problem& p)
{
    const Wording& wording = kWordings[static_cast<std::size_t>(p.issue)];
    std::string line;
    for (const char* c = wording.text; *c != '\0'; ++c) {
        if (*c != '{') {
            line += *c;
            continue;
        }
        switch (*++c) {
        case 'k':
            line += Name(p);
            break;
        case 't':
            line += Quoted(p.text);
            break;
        case 'd':
            line += Quoted(p.detail);
            break;
        case 'n':
            line += std::to_string(p.count);
            break;
        case 'a':
            line += p.allowed > 0 ? std::to_string(p.allowed) + " characters" : "any length";
            break;
        case 'o':
            line += scriptgen::InfoOf(wording.other).key;
            break;
        case 'N':
            line += std::to_string(wording.number);
            break;
        default:
            break;
        }
        ++c; // the closing brace
    }
    return line;
}

} // namespace zestrel
