#include "scriptgen/safe/check.h"

#include "scriptgen/postedname.h"
#include "scriptgen/safe/rules.h"
#include "scriptgen/safe/sections.h"
#include "scriptgen/safe/values.h"
#include "scriptgen/utf8.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace scriptgen {

namespace {

using safe::FieldSet;

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

bool IsWholeNumber(std::string_view text)
{
    return !text.empty() && text.size() < 10 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
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
        CheckOwner();
        if (Facts(s_.templatePage).control)
            Add(Setting::TemplatePage, Issue::ControlCharacter);
        if (s_.sendMail || s_.insertRecord) {
            CheckRules();
            CheckUploadFolder();
        }
        if (s_.sendMail)
            CheckMail();
        if (s_.insertRecord)
            CheckInsert();
        if (s_.displayAll) {
            CheckName(Setting::DisplayAllTable, s_.displayAllTable);
            CheckShownFields(Setting::DisplayAllFields, s_.displayAllFields);
        }
        if (s_.displaySpecific) {
            CheckDisplaySpecific();
            CheckExampleTexts();
        }
        if (s_.createTable)
            CheckCreateTable();
        if (s_.dropTable)
            CheckName(Setting::DropTableName, s_.dropTableName);
        return std::move(problems_);
    }

private:
    void Add(Setting setting, Issue issue, std::size_t line = 0, std::string_view text = {},
        std::string_view detail = {}, std::size_t count = 0)
    {
        problems_.push_back({setting, issue, line, std::string(text), std::string(detail), count});
    }

    void CheckTasks()
    {
        const bool databaseTasks = context_.DatabaseTasks();
        if (!s_.useDatabase && !s_.sendMail && !databaseTasks)
            Add(Setting::UseDatabase, Issue::NoTask);
        if (databaseTasks && !s_.useDatabase)
            Add(Setting::UseDatabase, Issue::NeedsDatabase);
    }

    void CheckFieldList()
    {
        for (std::size_t i = 0; i < s_.fieldList.size(); ++i) {
            const std::string& field = s_.fieldList[i];
            if (field.empty())
                continue;
            const std::optional<std::string> key = PostedKey(field);
            if (!key)
                Add(Setting::FieldList, Issue::NotPostable, i + 1, field);
            else if (IsSpamTrap(*key))
                Add(Setting::FieldList, Issue::SpamTrapName, i + 1, field, *key);
        }
        if (fields_.Empty() && (s_.sendMail || s_.insertRecord))
            Add(Setting::FieldList, Issue::NoFields);
    }

    void CheckConnection()
    {
        const safe::Endpoint endpoint = safe::ParseHost(s_.host);
        if (endpoint.problem)
            Add(Setting::Host, *endpoint.problem, 0, s_.host, endpoint.detail);
        if (s_.userName.empty())
            Add(Setting::UserName, Issue::Empty);
        CheckName(Setting::Database, s_.database);
    }

    // Creating and deleting tables are for the owner only, and so are the
    // records unless they are public.
    void CheckOwner()
    {
        const std::string& password = s_.ownerPassword;
        if (password.empty()) {
            if (context_.OwnerTasks())
                Add(Setting::OwnerPassword, Issue::OwnerPasswordForTables);
            else if (context_.NeedsOwner())
                Add(Setting::OwnerPassword, Issue::OwnerPasswordForRecords);
            return;
        }
        if (password.size() > kMaxOwnerPasswordBytes)
            Add(Setting::OwnerPassword, Issue::PasswordTooLong, 0, {}, {}, password.size());
        if (const std::size_t characters = Facts(password).characters; characters < kMinOwnerPasswordCharacters)
            Add(Setting::OwnerPassword, Issue::PasswordTooShort, 0, {}, {}, characters);
        if (Facts(password).control)
            Add(Setting::OwnerPassword, Issue::ControlCharacter);
    }

    // The form's own rules must be ones the script can check as the browser
    // does.
    void CheckRules()
    {
        for (const FieldRule& rule : s_.fieldRules) {
            if (rule.field.empty() || !fields_.Contains(rule.field))
                continue;
            const auto add = [&](Issue issue, std::string_view detail) {
                Add(Setting::FieldRules, issue, 0, rule.field, detail);
            };
            if (!rule.pattern.empty()) {
                const std::string problem = safe::PatternProblem(rule.pattern);
                if (problem == "set notation")
                    add(Issue::PatternSetNotation, rule.pattern);
                else if (problem == "reserved")
                    add(Issue::PatternReserved, rule.pattern);
                else if (!problem.empty())
                    add(Issue::PatternUnreadable, problem);
            }
            for (const std::string* length : {&rule.minLength, &rule.maxLength})
                if (!length->empty() && !IsWholeNumber(*length))
                    add(Issue::LengthNotWhole, *length);
            if (IsWholeNumber(rule.minLength) && IsWholeNumber(rule.maxLength) &&
                std::stod(rule.minLength) > std::stod(rule.maxLength))
                add(Issue::MinAboveMax, rule.minLength + "," + rule.maxLength);
            if (Above(rule.min, rule.max, rule.type))
                add(Issue::MinAboveMax, rule.min + "," + rule.max);
            if (rule.type == "file")
                for (const std::string* limit : {&rule.maxBytes, &rule.maxFiles})
                    if (!limit->empty() &&
                        (!IsWholeNumber(*limit) || limit->find_first_not_of('0') == std::string::npos))
                        add(Issue::LimitNotWhole, *limit);
        }
    }

    // The files of file fields need a folder on the server, named in full:
    // the script cannot know which folder a relative path would start from.
    void CheckUploadFolder()
    {
        const bool files = std::any_of(s_.fieldRules.begin(), s_.fieldRules.end(),
            [this](const FieldRule& rule) { return rule.type == "file" && fields_.Contains(rule.field); });
        const std::string& folder = s_.uploadFolder;
        if (!files && folder.empty())
            return;
        if (folder.empty())
            Add(Setting::UploadFolder, Issue::Empty);
        else if (Facts(folder).control)
            Add(Setting::UploadFolder, Issue::ControlCharacter);
        else if (folder.front() != '/' &&
            !(folder.size() > 2 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')))
            Add(Setting::UploadFolder, Issue::FolderNotAbsolute, 0, folder);
    }

    // Whether a range's min lies above its max: numbers by value, dates and
    // times, written alike, by their text.
    static bool Above(const std::string& min, const std::string& max, std::string_view type)
    {
        if (min.empty() || max.empty())
            return false;
        if (type == "number" || type == "range") {
            char* end = nullptr;
            const double low = std::strtod(min.c_str(), &end);
            if (*end != '\0')
                return false;
            const double high = std::strtod(max.c_str(), &end);
            return *end == '\0' && low > high;
        }
        return min.size() == max.size() && min > max;
    }

    // A box that gives a posted value or a text of its own. Returns whether
    // the box holds text of its own, which the caller may check further.
    bool CheckValue(Setting setting, std::string_view text, std::size_t line = 0)
    {
        const std::string_view missing = safe::MissingField(text, fields_);
        if (!missing.empty())
            Add(setting, Issue::NotAField, line, missing);
        return missing.empty() && !safe::ResolveValue(text, fields_).posted;
    }

    void CheckMail()
    {
        if (s_.recipient.empty())
            Add(Setting::Recipient, Issue::Empty);
        // Whoever posts would choose where the mail goes: anyone could mail
        // anyone through the site.
        if (const safe::Value posted = safe::ResolveValue(s_.recipient, fields_); posted.posted)
            Add(Setting::Recipient, Issue::RecipientFromForm, 0, posted.text);
        else if (CheckValue(Setting::Recipient, s_.recipient) && !s_.recipient.empty()) {
            for (const std::string_view address : safe::SplitAddresses(s_.recipient)) {
                if (!IsAddress(address))
                    Add(Setting::Recipient, Issue::NotAnAddress, 0, address);
                else if (IsSampleAddress(address))
                    Add(Setting::Recipient, Issue::SampleAddress, 0, address);
            }
        }

        if (s_.subject.empty())
            Add(Setting::Subject, Issue::Empty);
        CheckValue(Setting::Subject, s_.subject);

        if (CheckValue(Setting::Sender, s_.sender) && !s_.sender.empty() && !IsAddress(s_.sender))
            Add(Setting::Sender, Issue::NotAnAddress, 0, s_.sender);

        bool anyTicked = false;
        for (const MailItem& item : s_.mailVariables) {
            if (!item.checked || item.text.empty() || item.text == "$")
                continue;
            if (!safe::MailField(item.text, fields_).empty())
                anyTicked = true;
            else
                Add(Setting::MailVariables, Issue::NotAField, 0, item.text);
        }
        if (!anyTicked)
            Add(Setting::MailVariables, Issue::NothingTicked);

        CheckMailServer();
        CheckPage(Setting::SuccessPage, s_.successPage);
        CheckPage(Setting::FailurePage, s_.failurePage);
    }

    // The site's own From address, and the SMTP server that delivers.
    void CheckMailServer()
    {
        if (!s_.mailFrom.empty() && !IsAddress(s_.mailFrom))
            Add(Setting::MailFrom, Issue::MailFromNotAnAddress, 0, s_.mailFrom);
        if (!s_.smtp)
            return;
        const SmtpServer& smtp = *s_.smtp;
        if (smtp.host.empty())
            Add(Setting::MailServer, Issue::SmtpHostEmpty);
        else if (!IsHostName(smtp.host))
            Add(Setting::MailServer, Issue::SmtpHostNotAName, 0, smtp.host);
        if (smtp.port < 1 || smtp.port > 65535)
            Add(Setting::MailServer, Issue::SmtpPortOutOfRange, 0, {}, {}, static_cast<std::size_t>(smtp.port));
        if (s_.mailFrom.empty())
            Add(Setting::MailFrom, Issue::SmtpWithoutFrom);
        if (!smtp.userName.empty() && smtp.security == SmtpServer::Security::None && !IsLocalHost(smtp.host))
            Add(Setting::MailServer, Issue::SmtpPasswordInClear, 0, smtp.host);
        if (!smtp.userName.empty() && smtp.password.empty())
            Add(Setting::MailServer, Issue::SmtpPasswordMissing);
    }

    // A machine's name (letters, digits, hyphens and dots) or its IPv4 or
    // IPv6 address, as a mail server's name is written.
    static bool IsHostName(std::string_view host)
    {
        if (host.find(':') != std::string_view::npos)
            return host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
        if (host.size() > 253 || host.front() == '.' || host.back() == '.' || host.find("..") != std::string_view::npos)
            return false;
        return std::all_of(host.begin(), host.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        });
    }

    static bool IsLocalHost(std::string_view host)
    {
        return FoldCase(host) == "localhost" || host == "127.0.0.1" || host == "::1";
    }

    void CheckPage(Setting setting, const std::string& page)
    {
        const std::string folded = FoldCase(page);
        if (page.empty())
            Add(setting, Issue::Empty);
        else if (folded == "http://" || folded == "https://")
            Add(setting, Issue::StillDefault, 0, page);
        else if (Facts(page).control)
            Add(setting, Issue::ControlCharacter);
    }

    void CheckInsert()
    {
        CheckName(Setting::InsertTable, s_.insertTable);
        std::unordered_set<std::string> seen;
        std::size_t pairs = 0;
        const std::size_t rows = std::max(s_.insertFields.size(), s_.insertValues.size());
        for (std::size_t i = 0; i < rows; ++i) {
            const std::string_view field = i < s_.insertFields.size() ? s_.insertFields[i] : std::string_view();
            const std::string_view value = i < s_.insertValues.size() ? s_.insertValues[i] : std::string_view();
            if (field.empty()) {
                if (!value.empty())
                    Add(Setting::InsertValues, Issue::ValueWithoutField, i + 1, value);
                continue;
            }
            CheckName(Setting::InsertFields, field, i + 1);
            if (!seen.insert(FoldCase(field)).second)
                Add(Setting::InsertFields, Issue::ListedTwice, i + 1, field);
            if (value.empty())
                continue;
            ++pairs;
            CheckValue(Setting::InsertValues, value, i + 1);
        }
        if (seen.empty())
            Add(Setting::InsertFields, Issue::Empty);
        else if (pairs == 0)
            Add(Setting::InsertValues, Issue::NoValues);
    }

    void CheckDisplaySpecific()
    {
        CheckName(Setting::DisplaySpecificTable, s_.displaySpecificTable);
        CheckName(Setting::WhereField, s_.whereField);
        CheckValue(Setting::WhereValue, s_.whereValue);
        CheckShownFields(Setting::DisplaySpecificFields, s_.displaySpecificFields);
    }

    // The example texts the boxes start with.
    void CheckExampleTexts()
    {
        if (s_.whereField == kWhereFieldExample)
            Add(Setting::WhereField, Issue::ExampleText, 0, s_.whereField);
        if (s_.whereValue == kWhereValueExample)
            Add(Setting::WhereValue, Issue::ExampleText, 0, s_.whereValue);
    }

    void CheckShownFields(Setting setting, const Lines& fields)
    {
        bool any = false;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].empty())
                continue;
            any = true;
            CheckName(setting, fields[i], i + 1);
        }
        if (!any)
            Add(setting, Issue::Empty);
    }

    void CheckCreateTable()
    {
        CheckName(Setting::CreateTableName, s_.createTableName);
        std::unordered_set<std::string> seen;
        std::size_t columns = 0;
        for (std::size_t i = 0; i < s_.createTableFields.size(); ++i) {
            const std::string& field = s_.createTableFields[i];
            if (field.empty())
                continue;
            ++columns;
            CheckName(Setting::CreateTableFields, field, i + 1);
            const std::string folded = FoldCase(field);
            if (folded == "id")
                Add(Setting::CreateTableFields, Issue::IdColumn, i + 1, field);
            else if (!seen.insert(folded).second)
                Add(Setting::CreateTableFields, Issue::ListedTwice, i + 1, field);
        }
        if (columns > kMaxTextColumns)
            Add(Setting::CreateTableFields, Issue::TooManyColumns, 0, {}, {}, columns);
    }

    // A name of the database: a table, a column or the database itself.
    void CheckName(Setting setting, std::string_view name, std::size_t line = 0)
    {
        if (name.empty()) {
            Add(setting, Issue::Empty, line);
            return;
        }
        const TextFacts facts = Facts(name);
        if (!facts.valid)
            Add(setting, Issue::NameNotUtf8, line, name);
        else if (facts.control)
            Add(setting, Issue::NameControlCharacter, line, name);
        else if (name.back() == ' ')
            Add(setting, Issue::NameTrailingBlank, line, name);
        else if (facts.characters > kMaxNameCharacters)
            Add(setting, Issue::NameTooLong, line, name);
        else if (!facts.beyondBmp.empty())
            Add(setting, Issue::NameBeyondBmp, line, name, facts.beyondBmp);
        else if (name.front() == '$')
            Add(setting, Issue::NameFromForm, line, name);
    }

    const safe::Context context_; // the generators' reading of the settings
    const ScriptSettings& s_;
    const FieldSet& fields_;
    std::vector<Problem> problems_;
};

} // namespace

std::vector<Problem> WarnSafeScript(const ScriptSettings& s)
{
    std::vector<Problem> warnings;
    if (!s.insertRecord || s.insertTable != s.createTableName)
        return warnings;
    const safe::Context context(s);
    std::unordered_set<std::string> created;
    for (const std::string& column : s.createTableFields)
        created.insert(FoldCase(column));
    for (std::size_t i = 0; i < s.insertFields.size() && i < s.insertValues.size(); ++i) {
        const std::string& column = s.insertFields[i];
        const safe::Value value = safe::ResolveValue(s.insertValues[i], context.fields);
        const FieldRule* rule = value.posted ? context.Rule(value.text) : nullptr;
        if (!rule || column.empty() || !created.count(FoldCase(column)))
            continue;
        const std::size_t holds = safe::ColumnFor(safe::RuleForColumn(context, column)).characters;
        const safe::Column needed = safe::ColumnFor(rule);
        if (needed.characters <= holds)
            continue;
        warnings.push_back({Setting::FieldRules, Issue::LongerThanColumn, 0, std::string(value.text), column, holds,
            IsWholeNumber(rule->maxLength) ? std::stoul(rule->maxLength) : 0});
    }
    return warnings;
}

bool NeedsOwnerPassword(const ScriptSettings& settings)
{
    return safe::Context(settings).NeedsOwner();
}

bool IsSpamTrap(std::string_view postedKey)
{
    return std::any_of(std::begin(kSpamTrapFields), std::end(kSpamTrapFields),
        [postedKey](std::string_view trap) { return postedKey == trap; });
}

std::vector<Problem> CheckSafeScript(const ScriptSettings& settings)
{
    return Checker(settings).Run();
}

std::vector<Problem> ProblemsBeforeCompile(const ScriptSettings& settings)
{
    if (settings.target != Target::Safe)
        return {};
    std::vector<Problem> problems = CheckSafeScript(settings);
    std::stable_sort(
        problems.begin(), problems.end(), [](const Problem& a, const Problem& b) { return a.setting < b.setting; });
    return problems;
}

} // namespace scriptgen
