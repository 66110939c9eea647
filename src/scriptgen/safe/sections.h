#pragma once

#include "scriptgen/safe/php.h"
#include "scriptgen/safe/values.h"
#include "scriptgen/settings.h"

#include <string>
#include <string_view>
#include <vector>

// The generators of the safe script. Each appends its lines to `out`, every
// line starting with `indent`; the script compiler decides where each part
// stands in the request's flow.
namespace scriptgen::safe {

// What the parts of one safe script share.
struct Context {
    explicit Context(const ScriptSettings& s) : settings(s), fields(s.fieldList) {}
    bool Changes() const
    {
        return settings.sendMail || settings.insertRecord || settings.createTable || settings.dropTable;
    }
    bool Displays() const { return settings.displayAll || settings.displaySpecific; }
    // The visitors' tasks, which run for the form's own post.
    bool FormTasks() const { return settings.sendMail || settings.insertRecord; }
    // The owner's tasks, which run only for the owner.
    bool OwnerTasks() const { return settings.createTable || settings.dropTable; }
    // Whether a visit to the records needs the owner: always with the
    // owner's tasks, whose button the page shows.
    bool RecordsForOwner() const { return Displays() && (!settings.recordsPublic || OwnerTasks()); }
    bool NeedsOwner() const { return OwnerTasks() || RecordsForOwner(); }
    bool DatabaseTasks() const
    {
        return settings.insertRecord || settings.createTable || settings.dropTable || Displays();
    }
    // A script with nothing but the connection tells whether it works.
    bool ConnectionOnly() const { return settings.useDatabase && !settings.sendMail && !DatabaseTasks(); }
    bool Connects() const { return DatabaseTasks() || ConnectionOnly(); }

    const ScriptSettings& settings;
    FieldSet fields;
};

// Appends the lines of a block of PHP, as they stand.
void AppendBlock(Lines& out, std::string_view block);

// Writes a value box as a PHP expression: the field's entry in $form, or the
// box's own text.
PhpLine& PutValue(PhpLine& line, const Context& context, std::string_view box);

// Writes the key of a field in $_POST, as PHP files it, as a PHP literal.
PhpLine& PutPostedKey(PhpLine& line, std::string_view field);

// A salted bcrypt hash of the password that PHP's password_verify accepts, or
// an empty text, which no password matches, for an empty password. Throws
// when the system cannot hash.
std::string OwnerHash(std::string_view password);

// The whole safe script for the settings.
Lines CompileSafeScript(const ScriptSettings& settings);

// The PHP functions the script calls, each written only when it is needed.
void AddHelperFunctions(const Context& context, Lines& out);
// zestrel_connect(): the connection with the settings of the Host box.
void AddConnectFunction(const Context& context, Lines& out);

void AddSafeCreateTable(const Context& context, std::string_view indent, Lines& out);
void AddSafeInsert(const Context& context, std::string_view indent, Lines& out);
void AddSafeMail(const Context& context, std::string_view indent, Lines& out);
void AddSafeDropTable(const Context& context, std::string_view indent, Lines& out);
void AddSafeDisplayAll(const Context& context, std::string_view indent, Lines& out);
void AddSafeDisplaySpecific(const Context& context, std::string_view indent, Lines& out);

} // namespace scriptgen::safe
