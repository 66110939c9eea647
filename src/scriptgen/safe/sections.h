#pragma once

#include "scriptgen/safe/php.h"
#include "scriptgen/safe/values.h"
#include "scriptgen/settings.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The generators of the safe script. Each appends its lines to `out`, every
// line starting with `indent`; the script compiler decides where each part
// stands in the request's flow.
namespace scriptgen::safe {

// What the parts of one safe script share.
struct Context {
    explicit Context(const ScriptSettings& s) : settings(s), fields(s.fieldList)
    {
        for (const FieldRule& rule : s.fieldRules)
            rules.emplace(rule.field, &rule);
    }
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
    // Whether the owner may sign in: for the pages that need it, and for the
    // self-check of any script given an owner password.
    bool SelfChecks() const { return NeedsOwner() || !settings.ownerPassword.empty(); }
    // Whether every record is for the owner, page by page with a search and
    // an export, rather than one table for anyone.
    bool Inbox() const { return settings.displayAll && RecordsForOwner(); }
    // Whether the owner's tasks do nothing but create the table the records
    // come from: their button is then offered only while it is missing.
    bool OnlyCreatesRecordsTable() const
    {
        return settings.createTable && !settings.dropTable && settings.createTableName == settings.displayAllTable;
    }
    bool DatabaseTasks() const
    {
        return settings.insertRecord || settings.createTable || settings.dropTable || Displays();
    }
    // A script with nothing but the connection tells whether it works.
    bool ConnectionOnly() const { return settings.useDatabase && !settings.sendMail && !DatabaseTasks(); }
    bool Connects() const { return DatabaseTasks() || ConnectionOnly(); }

    // The fields of the list whose rule makes them file fields, in its order.
    std::vector<std::string_view> FileFields() const
    {
        std::vector<std::string_view> files;
        if (FormTasks())
            for (const std::string_view field : fields.InOrder())
                if (const FieldRule* rule = Rule(field); rule && rule->type == "file")
                    files.push_back(field);
        return files;
    }

    // The rule of a field, or none.
    const FieldRule* Rule(std::string_view field) const
    {
        const auto rule = rules.find(field);
        return rule == rules.end() ? nullptr : rule->second;
    }
    // How the form names a field to people: its label, else its name.
    std::string_view Label(std::string_view field) const
    {
        const FieldRule* rule = Rule(field);
        return rule && !rule->label.empty() ? std::string_view(rule->label) : field;
    }

    const ScriptSettings& settings;
    FieldSet fields;
    std::unordered_map<std::string_view, const FieldRule*> rules; // by field, the first of each
};

// The column the safe Create step makes for a field, sized from its rule so
// that every value the form allows fits: VARCHAR(225) when the rule asks for
// 225 characters or fewer or says nothing, else TEXT and larger; a text area
// without a longest length gets TEXT. `characters` is what it always holds.
struct Column {
    std::string_view type;
    std::size_t characters;
};
Column ColumnFor(const FieldRule* rule);
// The rule of the field a column of a new table is named after: the field of
// that name, or of that name with "[]".
const FieldRule* RuleForColumn(const Context& context, std::string_view column);

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
void AddSafeDelete(const Context& context, Lines& out);
void AddSafeDisplaySpecific(const Context& context, std::string_view indent, Lines& out);

} // namespace scriptgen::safe
