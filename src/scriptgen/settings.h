#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scriptgen {

// One entry per script line; no entry ever holds a line break of its own.
using Lines = std::vector<std::string>;

struct MailItem {
    std::string text;
    bool checked = false;

    bool operator==(const MailItem&) const = default;
};

// What the form's own HTML asks of one field, as the browser checks it, for
// the safe script to check again: robots and old browsers send anything.
// Texts are as written in the form; an empty text asks nothing.
// What a file field takes when its rule says nothing: 10 MB a file, and 5
// files where several may come.
inline constexpr long long kDefaultMaxBytes = 10LL * 1024 * 1024;
inline constexpr long long kDefaultMaxFiles = 5;

struct FieldRule {
    std::string field; // the line of the field list the rule belongs to
    std::string label; // how the form names the field to people
    bool required = false;
    // HTML's input type (text, email, url, number, date, file, ...), or
    // select, radio, checkbox or textarea; empty for text.
    std::string type;
    std::string minLength, maxLength; // whole numbers
    std::string pattern; // a JavaScript regular expression, matched against the whole value
    std::string title; // the form's hint for the pattern, said when a value does not match it
    std::string min, max, step; // numbers, or dates and times as the type writes them
    Lines choices; // the values a select, radio group or check boxes allow; empty: any
    bool multiple = false; // several values may come (check boxes, select multiple, files), or a list of addresses
    // A file field's: the types it takes as the form's accept writes them
    // (".pdf, image/*"; empty: any), the most bytes of one file and the most
    // files (whole numbers; empty: the defaults, kDefaultMaxBytes and
    // kDefaultMaxFiles).
    std::string accept;
    std::string maxBytes, maxFiles;

    bool operator==(const FieldRule&) const = default;
};

// The site's SMTP server, through which the safe script can deliver its mail
// instead of PHP's mail(): authenticated submission, as mail providers ask
// for.
struct SmtpServer {
    enum class Security { StartTls, Tls, None }; // STARTTLS after connecting, TLS from the start, or none
    std::string host;
    int port = 587;
    Security security = Security::StartTls;
    std::string userName, password;

    bool operator==(const SmtpServer&) const = default;
};

// Which script a compile writes: the classic one, with every text exactly as
// typed, or the safe one for current PHP, which treats every text as data.
enum class Target { Classic, Safe };

// Each setting by name, in the order the window shows them, so that a report
// about the settings can say which one it concerns. settings.def lists them.
enum class Setting {
#define ZESTREL_SETTING(name, member, key, kind, variable) name,
#include "scriptgen/settings.def"
#undef ZESTREL_SETTING
};

// Everything a compile reads from the main window, captured at the moment of
// the command. Texts are UTF-8 and are used exactly as typed.
struct ScriptSettings {
    Target target = Target::Classic;

    Lines fieldList; // the form's field names, one per line
    std::vector<FieldRule> fieldRules; // for fields of the list, in its order

    // Section switches, in the order their sections stand in the script.
    bool useDatabase = false;
    bool sendMail = false;
    bool insertRecord = false;
    bool displayAll = false;
    bool displaySpecific = false;
    bool createTable = false;
    bool dropTable = false;

    // Database connection.
    std::string host, userName, password, database;

    // The safe script's owner: the password of its owner-only pages (the
    // records, creating and deleting tables), and whether anyone may view
    // the records.
    std::string ownerPassword;
    bool recordsPublic = false;

    // Mail.
    std::string recipient, subject, sender;
    // How the safe script delivers: through this SMTP server, or by PHP's
    // mail() when empty; and the address the site sends as, the From and
    // the envelope sender of either (empty: the server's own).
    std::optional<SmtpServer> smtp;
    std::string mailFrom;
    std::vector<MailItem> mailVariables;
    std::string successPage, failurePage;

    // A page of the site that surrounds the safe script's own pages: a path
    // on the server, absolute or from the script's folder; empty for the
    // built-in page.
    std::string templatePage;

    // The folder on the server where the safe script keeps the files the
    // form sends: an absolute path, best outside the site's document folder.
    std::string uploadFolder;

    // Insert record: the table, its columns, and the value column of the
    // mapping grid (data rows top to bottom, empty cells included).
    std::string insertTable;
    Lines insertFields;
    Lines insertValues;

    // Display all records.
    std::string displayAllTable;
    Lines displayAllFields;

    // Display the first record where whereField = whereValue.
    std::string displaySpecificTable, whereField, whereValue;
    Lines displaySpecificFields;

    // Table maintenance.
    std::string createTableName;
    Lines createTableFields;
    std::string dropTableName;

    bool operator==(const ScriptSettings&) const = default;
};

// How a settings file keeps a setting: a text, a list of lines, a list of the
// grid's cells, a switch, the script's target, the ticks of the mail list,
// the rules of the fields, the mail server; a password is never kept.
enum class SettingKind { Text, Secret, Lines, Cells, Switch, Target, Ticks, Rules, Smtp };

// What settings.def says of one setting.
struct SettingInfo {
    Setting setting;
    std::string_view key; // in settings files, and on the command line
    SettingKind kind;
    std::string_view variable; // the environment variable of a password; empty for the rest
    std::variant<std::string ScriptSettings::*, Lines ScriptSettings::*, bool ScriptSettings::*,
        Target ScriptSettings::*, std::vector<MailItem> ScriptSettings::*, std::vector<FieldRule> ScriptSettings::*,
        std::optional<SmtpServer> ScriptSettings::*>
        member;
};

// Every setting, in the order of settings.def.
inline constexpr SettingInfo kSettingTable[] = {
#define ZESTREL_SETTING(name, member, key, kind, variable)                                                             \
    {Setting::name, key, SettingKind::kind, variable, &ScriptSettings::member},
#include "scriptgen/settings.def"
#undef ZESTREL_SETTING
};

constexpr const SettingInfo& InfoOf(Setting setting)
{
    return kSettingTable[static_cast<std::size_t>(setting)];
}

} // namespace scriptgen
