// The rules a settings file gives back follow its field list: one rule per
// listed name, in the list's order, however the list repeats names.
#include "core/settingsfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SettingsFileRules, OneRulePerListedName)
{
    struct Case {
        const char* name;
        std::vector<std::string> fieldList;
        std::vector<std::string> rules; // field:label, as opened
    };
    const Case kCases[] = {
        {"each name once", {"a", "b"}, {"a:A", "b:B"}},
        {"the list's order", {"b", "a"}, {"b:B", "a:A"}},
        {"a name listed twice", {"a", "b", "a"}, {"a:A", "b:B"}},
        {"blank lines and names without rules", {"", "a", "", "c"}, {"a:A", "c:"}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        scriptgen::ScriptSettings s;
        s.fieldList = c.fieldList;
        for (const char* field : {"a", "b", "c"}) {
            scriptgen::FieldRule rule;
            rule.field = field;
            if (std::string(field) != "c")
                rule.label = std::string(1, static_cast<char>(field[0] - 'a' + 'A'));
            s.fieldRules.push_back(rule);
        }
        std::vector<std::string> opened;
        for (const scriptgen::FieldRule& rule :
            zestrel::ParseSettings(zestrel::SettingsFileBytes(s)).settings.fieldRules)
            opened.push_back(rule.field + ":" + rule.label);
        EXPECT_EQ(opened, c.rules);
    }
}

} // namespace
