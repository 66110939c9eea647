#include "scriptgen/safe/check.h"

#include "scriptgen/postedname.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/safe/values.h"
#include "scriptgen/sections/text.h"
#include "scriptgen/utf8.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace scriptgen {

namespace {

using safe::FieldSet;

// MySQL's limits on names, and on the text columns of a new table: with
// utf8mb4 each VARCHAR(225) takes 902 of the 65,535 bytes a row may hold.
constexpr std::size_t kMaxNameCharacters = 64;
constexpr std::size_t kMaxTextColumns = 72;

// What a text holds, read as UTF-8.
struct TextFacts {
    bool valid = true;
    bool control = false;
    std::size_t characters = 0;
    std::string_view beyondBmp; // the first character MySQL names cannot hold
};

TextFacts Facts(std::string_view text)
{
    TextFacts facts;
    for (std::size_t at = 0; at < text.size(); ++facts.characters) {
        const std::size_t start = at;
        char32_t code = 0;
        if (!ReadUtf8(text, at, code)) {
            facts.valid = false;
            return facts;
        }
        if (code < 0x20 || code == 0x7f)
            facts.control = true;
        if (code > 0xffff && facts.beyondBmp.empty())
            facts.beyondBmp = text.substr(start, at - start);
    }
    return facts;
}

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

// MySQL compares column names without regard to case.
std::string FoldCase(std::string_view name)
{
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c + 32);
        } else if (c == 0xc3 && i + 1 < folded.size()) {
            // Latin-1 capitals: U+00C0 to U+00DE, but for the multiplication sign.
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9e && next != 0x97)
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

// ASCII only, whatever the locale the program runs in: the C classification
// functions would take bytes of a Latin-1 locale for letters and blanks.
bool IsAsciiLetterOrDigit(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsAtext(unsigned char c)
{
    return IsAsciiLetterOrDigit(c) ||
        std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) != std::string_view::npos;
}

// An address PHP's FILTER_VALIDATE_EMAIL also takes: a dot-atom local part
// and a domain of at least two labels of letters, digits and hyphens.
bool IsAddress(std::string_view address)
{
    const std::size_t at = address.find('@');
    if (at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos)
        return false;
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    if (local.empty() || local.size() > 64 || local.front() == '.' || local.back() == '.' ||
        local.find("..") != std::string_view::npos)
        return false;
    if (!std::all_of(local.begin(), local.end(), [](unsigned char c) { return IsAtext(c) || c == '.'; }))
        return false;
    if (domain.empty() || domain.size() > 253 || domain.find('.') == std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= domain.size()) {
        const std::size_t dot = std::min(domain.find('.', start), domain.size());
        const std::string_view label = domain.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            !std::all_of(
                label.begin(), label.end(), [](unsigned char c) { return IsAsciiLetterOrDigit(c) || c == '-'; }))
            return false;
        start = dot + 1;
    }
    return true;
}

// The domains kept for examples, which never receive mail.
bool IsSampleAddress(std::string_view address)
{
    std::string domain = FoldCase(address.substr(address.find('@') + 1));
    for (const std::string_view sample : {"example.com", "example.org", "example.net"})
        if (domain == sample || domain.ends_with("." + std::string(sample)))
            return true;
    return false;
}

class Checker {
public:
    explicit Checker(const ScriptSettings& settings) : context_(settings), s_(settings), fields_(context_.fields) {}

    std::vector<Problem> Run()
    {
        CheckTasks();
        CheckFieldList();
        if (s_.useDatabase)
            CheckConnection();
        if (s_.sendMail)
            CheckMail();
        if (s_.insertRecord)
            CheckInsert();
        if (s_.displayAll) {
            CheckName(Box::DisplayAllTable, "Display from Table (Display All Records)", s_.displayAllTable);
            CheckShownFields(Box::DisplayAllFields, "Fields to display (Display All Records)", s_.displayAllFields);
        }
        if (s_.displaySpecific)
            CheckDisplaySpecific();
        if (s_.createTable)
            CheckCreateTable();
        if (s_.dropTable)
            CheckName(Box::DropTableName, "Table Name (Delete Table)", s_.dropTableName);
        return std::move(problems_);
    }

private:
    void Add(Box box, std::string text) { problems_.push_back({box, std::move(text)}); }

    void CheckTasks()
    {
        const bool databaseTasks = context_.DatabaseTasks();
        if (!s_.useDatabase && !s_.sendMail && !databaseTasks)
            Add(Box::Switches,
                "No task is ticked: tick what the script must do, such as \"Send variables via email\" or "
                "\"Use 'Database Records'\".");
        if (databaseTasks && !s_.useDatabase)
            Add(Box::Switches,
                "The database tasks need a database: tick \"Use a MySql Database\" on the page Script Setup and "
                "fill in its boxes.");
    }

    void CheckFieldList()
    {
        for (std::size_t i = 0; i < s_.fieldList.size(); ++i) {
            const std::string& field = s_.fieldList[i];
            if (field.empty())
                continue;
            const std::string where = "Enter Variables, line " + std::to_string(i + 1) + ": " + Shown(field);
            const std::optional<std::string> key = PostedKey(field);
            if (!key)
                Add(Box::FieldList,
                    where +
                        " is not a name a form can send: it must hold more than blanks and must not begin "
                        "with \"[\".");
            else if (*key == kSpamTrapField)
                Add(Box::FieldList,
                    where + " arrives as \"" + kSpamTrapField +
                        "\", the spam trap, which the script checks by itself: remove the line, or give the form's "
                        "field another name.");
        }
        if (fields_.Empty() && (s_.sendMail || s_.insertRecord))
            Add(Box::FieldList, "Enter Variables is empty: type the names of the form's fields, one per line.");
    }

    void CheckConnection()
    {
        const safe::Endpoint endpoint = safe::ParseHost(s_.host);
        if (!endpoint.problem.empty())
            Add(Box::Host, endpoint.problem);
        if (s_.userName.empty())
            Add(Box::UserName, "Username is empty: type the MySQL user the script connects as.");
        CheckName(Box::Database, "Database Name", s_.database);
    }

    // A box that gives a posted value or a text of its own. Returns whether
    // the box holds text of its own, which the caller may check further.
    bool CheckValue(Box box, const std::string& label, std::string_view text)
    {
        const std::string_view missing = safe::MissingField(text, fields_);
        if (!missing.empty())
            Add(box,
                Shown(missing) + " in " + label +
                    " is not a field of the form: pick one from the list of fields, or correct the name.");
        return missing.empty() && !safe::ResolveValue(text, fields_).posted;
    }

    void CheckMail()
    {
        if (s_.recipient.empty())
            Add(Box::Recipient,
                "Recipient's email is empty: type the address that must get the mail, or pick a field of the form.");
        if (CheckValue(Box::Recipient, "Recipient's email", s_.recipient) && !s_.recipient.empty()) {
            for (const std::string_view address : safe::SplitAddresses(s_.recipient)) {
                if (!IsAddress(address))
                    Add(Box::Recipient,
                        "Recipient's email " + Shown(address) +
                            " is not an e-mail address: type one such as name@example.org (several separated by "
                            "commas), or pick a field of the form.");
                else if (IsSampleAddress(address))
                    Add(Box::Recipient,
                        "Recipient's email " + Shown(address) +
                            " is a sample address, which receives no mail: type the address that must get the "
                            "mail.");
            }
        }

        if (s_.subject.empty())
            Add(Box::Subject, "Subject is empty: type the subject of the mail, or pick a field of the form.");
        CheckValue(Box::Subject, "Subject", s_.subject);

        if (CheckValue(Box::Sender, "From", s_.sender) && !s_.sender.empty() && !IsAddress(s_.sender))
            Add(Box::Sender,
                "From " + Shown(s_.sender) +
                    " is not one e-mail address: type the address the mail comes from, such as "
                    "webmaster@example.org, pick a field of the form, or leave it empty.");

        bool anyTicked = false;
        for (const MailItem& item : s_.mailVariables) {
            if (!item.checked || item.text.empty() || item.text == "$")
                continue;
            if (!safe::MailField(item.text, fields_).empty())
                anyTicked = true;
            else
                Add(Box::MailVariables,
                    "Select variables to email: " + Shown(item.text) +
                        " is not a field of the form: untick it, or add the field to Enter Variables.");
        }
        if (!anyTicked)
            Add(Box::MailVariables,
                "Select variables to email: no field is ticked: tick the fields the mail must carry.");

        CheckPage(Box::SuccessPage, "Success Page", s_.successPage, "after the mail was sent");
        CheckPage(Box::FailurePage, "Failure Page", s_.failurePage, "when the mail could not be sent");
    }

    void CheckPage(Box box, const std::string& label, const std::string& page, const std::string& when)
    {
        std::string folded = FoldCase(page);
        const std::string hint = ": type the address of the page to show " + when + ", such as thanks.html.";
        if (page.empty())
            Add(box, label + " is empty" + hint);
        else if (folded == "http://" || folded == "https://")
            Add(box, label + " still shows " + Shown(page) + hint);
        else if (Facts(page).control)
            Add(box, label + " holds a line break or another control character" + hint);
    }

    void CheckInsert()
    {
        CheckName(Box::InsertTable, "Insert into Table", s_.insertTable);
        std::unordered_set<std::string> seen;
        std::size_t pairs = 0;
        const std::size_t rows = std::max(s_.insertFields.size(), s_.insertValues.size());
        for (std::size_t i = 0; i < rows; ++i) {
            const std::string_view field = i < s_.insertFields.size() ? s_.insertFields[i] : std::string_view();
            const std::string_view value = i < s_.insertValues.size() ? s_.insertValues[i] : std::string_view();
            const std::string row = std::to_string(i + 1);
            if (field.empty()) {
                if (!value.empty())
                    Add(Box::InsertValues,
                        text::Concat("Variable / Value, row ", row, ": ", Shown(value),
                            " stands beside no table field: type the field's name on line ", row,
                            " of Table Fields, or clear the value."));
                continue;
            }
            const std::string label = "Table Fields, line " + row;
            CheckName(Box::InsertFields, label, field);
            if (!seen.insert(FoldCase(field)).second)
                Add(Box::InsertFields, label + ": " + Shown(field) + " is listed twice: remove one of the two lines.");
            if (value.empty())
                continue;
            ++pairs;
            CheckValue(Box::InsertValues, "Variable / Value, row " + row, value);
        }
        if (seen.empty())
            Add(Box::InsertFields, "Table Fields is empty: type the names of the table's fields, one per line.");
        else if (pairs == 0)
            Add(Box::InsertValues,
                "No table field has a value: click a field's Variable / Value cell and pick a field of the form, "
                "or type a value.");
    }

    void CheckDisplaySpecific()
    {
        CheckName(Box::DisplaySpecificTable, "Display from Table (Display Specific Records)", s_.displaySpecificTable);
        CheckName(Box::WhereField, "Where Field", s_.whereField);
        CheckValue(Box::WhereValue, "the value after \"=\"", s_.whereValue);
        CheckShownFields(
            Box::DisplaySpecificFields, "Fields To Display (Display Specific Records)", s_.displaySpecificFields);
    }

    void CheckShownFields(Box box, const std::string& label, const Lines& fields)
    {
        bool any = false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].empty())
                continue;
            any = true;
            CheckName(box, label + ", line " + std::to_string(i + 1), fields[i]);
        }
        if (!any)
            Add(box, label + " is empty: type the fields to show, one per line.");
    }

    void CheckCreateTable()
    {
        const std::string label = "Fields (New Database Table)";
        CheckName(Box::CreateTableName, "Table name (New Database Table)", s_.createTableName);
        std::unordered_set<std::string> seen;
        std::size_t columns = 0;
        for (std::size_t i = 0; i < s_.createTableFields.size(); ++i) {
            const std::string& field = s_.createTableFields[i];
            if (field.empty())
                continue;
            ++columns;
            const std::string where = label + ", line " + std::to_string(i + 1);
            CheckName(Box::CreateTableFields, where, field);
            const std::string folded = FoldCase(field);
            if (folded == "id")
                Add(Box::CreateTableFields,
                    where + ": " + Shown(field) +
                        " is the record number the script adds by itself: remove the line, or give the field "
                        "another name.");
            else if (!seen.insert(folded).second)
                Add(Box::CreateTableFields,
                    where + ": " + Shown(field) + " is listed twice: remove one of the two lines.");
        }
        if (columns > kMaxTextColumns)
            Add(Box::CreateTableFields,
                label + " lists " + std::to_string(columns) + " fields, but a MySQL table holds at most " +
                    std::to_string(kMaxTextColumns) + " text fields of 225 characters: use two tables.");
    }

    // A name of the database: a table, a column or the database itself.
    void CheckName(Box box, const std::string& label, std::string_view name)
    {
        if (name.empty()) {
            Add(box, label + " is empty: type the name as it is in the database.");
            return;
        }
        const TextFacts facts = Facts(name);
        const std::string shown = label + " " + Shown(name);
        if (!facts.valid)
            Add(box, shown + " is not valid UTF-8 text: type the name again.");
        else if (facts.control)
            Add(box,
                shown + " holds a line break or another control character, which MySQL does not allow: remove it.");
        else if (name.back() == ' ')
            Add(box, shown + " ends with a blank, which MySQL does not allow: remove the blank.");
        else if (facts.characters > kMaxNameCharacters)
            Add(box, shown + " is longer than the 64 characters MySQL allows: shorten it.");
        else if (!facts.beyondBmp.empty())
            Add(box,
                shown + " holds " + Shown(facts.beyondBmp) + ", a character MySQL does not allow in names: remove it.");
        else if (name.front() == '$')
            Add(box,
                shown +
                    " begins with \"$\", but names of tables and fields cannot come from the form: type the "
                    "name as it is in the database.");
    }

    const safe::Context context_; // the generators' reading of the settings
    const ScriptSettings& s_;
    const FieldSet& fields_;
    std::vector<Problem> problems_;
};

} // namespace

std::vector<Problem> CheckSafeScript(const ScriptSettings& settings)
{
    return Checker(settings).Run();
}

} // namespace scriptgen
