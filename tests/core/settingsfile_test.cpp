// What a settings file gives back: the rules follow its field list, one rule
// per listed name, however the list repeats names; the mail server opens as
// its dialog can show it, or the file is refused and says why; the places of
// the work's files move with a folder that holds them all.
#include "core/settingsfile.h"

#include <QJsonDocument>
#include <QJsonObject>

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

// The port box takes 0 to 99999, so a file may hold any of those: the check
// refuses what no server listens on. Anything else is no port of that box.
TEST(SettingsFileMailServer, OpensWhatTheDialogCanShow)
{
    struct Case {
        const char* name;
        QJsonValue smtp;
        std::string opened; // host:port:security, "-" for none, or a part of the refusal
    };
    const Case kCases[] = {
        {"a server", QJsonObject{{"host", "smtp.shop.test"}, {"port", 465}, {"security", "tls"}},
            "smtp.shop.test:465:1"},
        {"the usual port when none is given", QJsonObject{{"host", "h"}}, "h:587:0"},
        {"port 0, shown for the check to refuse", QJsonObject{{"port", 0}, {"security", "none"}}, ":0:2"},
        {"port 99999, the most the box takes", QJsonObject{{"port", 99999}}, ":99999:0"},
        {"port 100000", QJsonObject{{"port", 100000}}, "should be a port number"},
        {"a port below zero", QJsonObject{{"port", -1}}, "should be a port number"},
        {"a port with a fraction", QJsonObject{{"port", 25.5}}, "should be a port number"},
        {"a port as text", QJsonObject{{"port", "587"}}, "should be a port number"},
        {"a security of no name", QJsonObject{{"security", "ssl"}}, "\"starttls\", \"tls\" or \"none\""},
        {"no server", QJsonValue(QJsonValue::Null), "-"},
        {"a server as text", QJsonValue("smtp.shop.test"), "should be a group of settings or null"},
    };
    scriptgen::ScriptSettings base;
    base.fieldList = {"name"};
    const QJsonObject good = QJsonDocument::fromJson(zestrel::SettingsFileBytes(base)).object();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        QJsonObject file = good;
        file.insert(QStringLiteral("smtp"), c.smtp);
        std::string opened;
        try {
            const scriptgen::ScriptSettings s = zestrel::ParseSettings(QJsonDocument(file).toJson()).settings;
            opened = s.smtp ? s.smtp->host + ":" + std::to_string(s.smtp->port) + ":" +
                    std::to_string(static_cast<int>(s.smtp->security))
                            : "-";
            EXPECT_EQ(opened, c.opened);
        } catch (const zestrel::SettingsFileError& e) {
            EXPECT_NE(e.reason().toStdString().find(c.opened), std::string::npos) << e.reason().toStdString();
        }
    }
}

// A place inside the settings file's folder is kept relative, so the folder
// can be moved or copied whole; one outside is kept absolute.
TEST(SettingsFilePlaces, RelativeOnlyInsideTheFolder)
{
    struct Case {
        const char* place;
        const char* kept;
        const char* openedFromMovedFile; // the settings file now in /moved
    };
    const Case kCases[] = {
        {"/work/site/contact.php", "contact.php", "/moved/contact.php"},
        {"/work/site/public/contact.php", "public/contact.php", "/moved/public/contact.php"},
        {"/work/site/./public/../contact.php", "contact.php", "/moved/contact.php"},
        {"/work/site/..forms/contact.html", "..forms/contact.html", "/moved/..forms/contact.html"},
        {"/work/forms/contact.html", "/work/forms/contact.html", "/work/forms/contact.html"},
        {"/work/contact.html", "/work/contact.html", "/work/contact.html"},
        {"", "", ""},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.place);
        const QString place = QString::fromUtf8(c.place);
        const QByteArray bytes =
            zestrel::SettingsFileBytes({}, {place, place}, QStringLiteral("/work/site/contact.zestrel"));
        const QJsonObject file = QJsonDocument::fromJson(bytes).object();
        EXPECT_EQ(file.value("scriptFile").toString().toStdString(), c.kept);
        EXPECT_EQ(file.value("formPage").toString().toStdString(), c.kept);
        const zestrel::OpenedSettings opened = zestrel::ParseSettings(bytes, QStringLiteral("/moved/contact.zestrel"));
        EXPECT_EQ(opened.places.script.toStdString(), c.openedFromMovedFile);
        EXPECT_EQ(opened.places.form.toStdString(), c.openedFromMovedFile);
        EXPECT_TRUE(opened.leftOut.isEmpty());
    }
}

} // namespace
