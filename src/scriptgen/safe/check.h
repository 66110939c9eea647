#pragma once

#include "scriptgen/settings.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scriptgen {

// What is wrong with a setting. The check only names the fault; whoever shows
// it to the user words it, with the caption of the box and what to do.
enum class Issue {
    NoTask, // no section is ticked
    NeedsDatabase, // database tasks without the connection
    NotPostable, // a field name no form can send
    SpamTrapName, // a field PHP files under the spam trap's key
    NoFields, // the field list holds no field
    Empty, // the box is empty
    NotAField, // text: a "$name" that names no field of the form
    NotAnAddress, // text: what is not an e-mail address
    SampleAddress, // text: an address of a domain kept for examples
    NothingTicked, // no field is ticked in the mail list
    StillDefault, // text: the page box still shows its "http://"
    ControlCharacter, // the box holds a line break or another control character
    ValueWithoutField, // text: a grid value beside an empty table-field line
    ListedTwice, // text: a field named twice in one list
    NoValues, // no table field of the insert has a value
    IdColumn, // text: a new table's field named "id"
    TooManyColumns, // count: more text columns than a table holds
    // The faults of a name of the database (table, column, database).
    NameNotUtf8,
    NameControlCharacter,
    NameTrailingBlank,
    NameTooLong,
    NameBeyondBmp, // detail: the first character MySQL names cannot hold
    NameFromForm, // begins with "$"
    ExampleText, // text: the example the box starts with, never replaced
    OwnerPasswordForTables, // no owner password, but a table is created or deleted
    OwnerPasswordForRecords, // no owner password, records not public, but shown
    PasswordTooLong, // longer than the bytes a password hash takes
    PasswordTooShort, // count: its characters, fewer than kMinOwnerPasswordCharacters
    RecipientFromForm, // text: the field the recipient is taken from
    // The faults of a field's rules; text is the field, detail what is wrong.
    PatternSetNotation, // detail: the pattern
    PatternReserved, // detail: the pattern
    PatternUnreadable, // detail: PCRE's message
    LengthNotWhole, // detail: the length as written
    MinAboveMax, // detail: "min,max" as written
    LimitNotWhole, // detail: a file field's most bytes or most files as written, not a whole number from 1
    // The folder the files of file fields go to.
    FolderNotAbsolute, // text: the folder as typed
    // A warning: the form allows longer values than the column the insert
    // stores the field in, as the Create step of the same settings makes it.
    // text: the field; detail: the column; count: what the column holds;
    // allowed: the field's longest length, 0 for a text area without one.
    LongerThanColumn,
    // The faults of the mail server's settings.
    SmtpHostEmpty, // an SMTP server is chosen without its name
    SmtpHostNotAName, // text: the host as typed
    SmtpPortOutOfRange, // count: the port
    SmtpWithoutFrom, // no From address to send as
    SmtpPasswordInClear, // text: the host; a user name without encryption to another machine
    SmtpPasswordMissing, // a user name without its password
    MailFromNotAnAddress, // text: the From address as typed
    // The faults of the Host box; text is the whole box.
    HostBlank,
    HostUnclosedBracket,
    HostAfterBracket,
    HostNoServer, // detail: what follows the missing host (":3306")
    HostSocketNotLocal, // detail: the socket path
    HostBadPort,
};

// One reason why the settings give no sound safe script.
struct Problem {
    Setting setting;
    Issue issue;
    std::size_t line = 0; // the line of a list or row of the grid, from 1; 0 for a whole box
    std::string text; // the text at fault, as the user typed it
    std::string detail;
    std::size_t count = 0;
    std::size_t allowed = 0;

    bool operator==(const Problem&) const = default;
};

// The name of the hidden field a form may carry as a spam trap: people never
// see it and leave it empty, robots fill it in. No browser or password
// manager fills in a field of this name.
inline constexpr const char* kSpamTrapField = "zestrel_trap";
// Every name the script takes for its trap: the current one, and the one
// forms made before it still carry.
inline constexpr const char* kSpamTrapFields[] = {kSpamTrapField, "zestrel_website"};
bool IsSpamTrap(std::string_view postedKey);

// The most bytes of a password the owner's hash (bcrypt) takes into account.
inline constexpr std::size_t kMaxOwnerPasswordBytes = 72;
// The fewest characters of an owner password, as current password guidance
// asks of a password that guards a service open to the Internet.
inline constexpr std::size_t kMinOwnerPasswordCharacters = 8;

// MySQL's limits on names, and on the text columns of a new table: with
// utf8mb4 each VARCHAR(225) takes 902 of the 65,535 bytes a row may hold.
inline constexpr std::size_t kMaxNameCharacters = 64;
inline constexpr std::size_t kMaxTextColumns = 72;

// The example texts two boxes of the window start with: no field or value of
// anyone's, so a safe compile refuses them.
inline constexpr const char* kWhereFieldExample = "Enter Field's Name";
inline constexpr const char* kWhereValueExample = "Enter / Select Value";

// Every problem that keeps the settings from giving a safe script that works,
// task by task; empty when there is none. Only the ticked tasks are looked
// at.
std::vector<Problem> CheckSafeScript(const ScriptSettings& settings);

// What keeps the settings from compiling as they are: for the safe script,
// every problem its check finds, in the order of the settings; nothing for
// the classic script, which takes any settings.
std::vector<Problem> ProblemsBeforeCompile(const ScriptSettings& settings);

// What the safe script will do, though the user may not mean it; these do not
// keep it from compiling.
std::vector<Problem> WarnSafeScript(const ScriptSettings& settings);

// Whether the safe script has owner-only pages (tables to create or delete,
// records that are not public), which need the owner password.
bool NeedsOwnerPassword(const ScriptSettings& settings);

} // namespace scriptgen
