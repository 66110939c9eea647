// The program run from the command line without a display, as a build script
// runs it: each command has its exit code, its output and a message that
// names the setting by its key and a password by its variable.
#include "program.h"

#include "commandline/terminaltext.h"
#include "core/settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <functional>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot prepare %s", qPrintable(path));
}

void Write(const QString& path, const scriptgen::ScriptSettings& settings)
{
    Write(path, zestrel::SettingsFileBytes(settings));
}

// Classic settings with a database; the safe ones lack a user and the owner
// password.
scriptgen::ScriptSettings Settings(bool safe)
{
    scriptgen::ScriptSettings s;
    s.fieldList = {"name"};
    s.mailVariables = {{"$name", true}};
    s.target = safe ? scriptgen::Target::Safe : scriptgen::Target::Classic;
    s.useDatabase = true;
    s.host = "localhost";
    s.database = "shop";
    s.dropTable = true;
    return s;
}

// Every row finds these files in its folder: a classic script, safe ones
// that lack only the owner's or the mail server's password, and one with
// problems, among them a table's name that ends with a blank and a length
// that is no number.
void WriteSettings(const QString& dir)
{
    Write(dir + "/good.zestrel", Settings(false));
    scriptgen::ScriptSettings problems = Settings(true);
    problems.dropTableName = "old ";
    problems.sendMail = true;
    problems.fieldRules.emplace_back().field = "name";
    problems.fieldRules.back().maxLength = "12a";
    Write(dir + "/problems.zestrel", problems);
    scriptgen::ScriptSettings owner = Settings(true);
    owner.userName = "web";
    owner.dropTableName = "old";
    Write(dir + "/owner.zestrel", owner);
    scriptgen::ScriptSettings mail;
    mail.target = scriptgen::Target::Safe;
    mail.fieldList = {"name"};
    mail.sendMail = true;
    mail.recipient = "owner@shop.test";
    mail.subject = "Feedback";
    mail.mailVariables = {{"$name", true}};
    mail.successPage = "thanks.html";
    mail.failurePage = "sorry.html";
    mail.smtp = scriptgen::SmtpServer{"smtp.shop.test", 587, scriptgen::SmtpServer::Security::StartTls, "web", ""};
    mail.mailFrom = "web@shop.test";
    Write(dir + "/smtp.zestrel", mail);
}

// %1 in the arguments and the texts stands for the folder. Each text of `out`
// and `err` must appear in standard output or error; an empty list means the
// stream stays empty.
struct Case {
    const char* name;
    QStringList arguments;
    QStringList variables;
    int code;
    QStringList out, err;
    bool written; // out.php holds a script afterwards
    std::function<void(const QString&)> prepare = {};
};

const QStringList kCompile = {"--compile", "%1/good.zestrel", "-o", "%1/out.php"};

const Case kCases[] = {
    {"writes the script", kCompile, {}, 0, {}, {"ZESTREL_DB_PASSWORD"}, true},
    {"options in any order", {"--output", "%1/out.php", "%1/good.zestrel", "--compile"}, {"ZESTREL_DB_PASSWORD="}, 0,
        {}, {}, true},
    {"settings file first", {"%1/good.zestrel", "--compile", "-o", "%1/out.php"}, {"ZESTREL_DB_PASSWORD="}, 0, {}, {},
        true},
    {"database password set", {"--compile", "%1/good.zestrel", "-o", "-"}, {"ZESTREL_DB_PASSWORD=Db-Pa55"}, 0,
        {"<?php", "Db-Pa55"}, {}, false},
    {"owner password set", {"--compile", "%1/owner.zestrel", "-o", "%1/out.php"},
        {"ZESTREL_OWNER_PASSWORD=correct horse battery", "ZESTREL_DB_PASSWORD=x"}, 0, {}, {}, true},
    {"owner password missing", {"--compile", "%1/owner.zestrel", "-o", "%1/out.php"}, {}, 2, {},
        {"ZESTREL_OWNER_PASSWORD"}, false},
    {"owner password too short", {"--compile", "%1/owner.zestrel", "-o", "%1/out.php"},
        {"ZESTREL_OWNER_PASSWORD=short", "ZESTREL_DB_PASSWORD=x"}, 2, {}, {"ZESTREL_OWNER_PASSWORD: 5 ", " 8 "}, false},
    {"mail server password set", {"--compile", "%1/smtp.zestrel", "-o", "-"}, {"ZESTREL_SMTP_PASSWORD=Smtp-Pa55"}, 0,
        {"<?php", "Smtp-Pa55"}, {}, false},
    {"mail server password missing", {"--compile", "%1/smtp.zestrel", "-o", "-"}, {}, 2, {}, {"ZESTREL_SMTP_PASSWORD"},
        false},
    {"the check's problems by key and variable", {"--compile", "%1/problems.zestrel", "-o", "%1/out.php"}, {}, 2, {},
        {"%1/problems.zestrel: userName", "ZESTREL_OWNER_PASSWORD", "dropTableName: \"old \"", "\"12a\" is"}, false},
    {"check clean", {"--check", "%1/good.zestrel"}, {"ZESTREL_DB_PASSWORD="}, 0, {}, {}, false},
    {"check failing", {"%1/problems.zestrel", "--check"}, {}, 2, {}, {"userName"}, false},
    {"check writes nothing", {"--check", "%1/good.zestrel", "-o", "%1/out.php"}, {}, 64, {}, {"-o"}, false},
    {"replaces an existing script by a new file", kCompile, {}, 0, {}, {"ZESTREL_DB_PASSWORD"}, true,
        [](const QString& dir) {
            QFile::copy(dir + "/good.zestrel", dir + "/out.php");
            if (link(QFile::encodeName(dir + "/out.php").constData(), QFile::encodeName(dir + "/kept").constData()))
                qFatal("cannot link");
        }},
    {"settings file missing", {"--compile", "%1/none.zestrel", "-o", "%1/out.php"}, {}, 1, {},
        {"%1/none.zestrel: No such file"}, false},
    {"settings file damaged", {"--compile", "%1/cut.zestrel", "-o", "%1/out.php"}, {}, 1, {},
        {"cannot read %1/cut.zestrel"}, false,
        [](const QString& dir) { Write(dir + "/cut.zestrel", QByteArray("{\"format\": \"Zes")); }},
    {"script into a missing folder", {"--compile", "%1/good.zestrel", "-o", "%1/no/out.php"}, {}, 1, {},
        {"cannot write %1/no/out.php"}, false},
    {"script onto a folder", kCompile, {}, 1, {}, {"folder"}, false,
        [](const QString& dir) { QDir(dir).mkdir("out.php"); }},
    {"script onto a link to nothing", kCompile, {}, 1, {}, {"gone.php"}, false,
        [](const QString& dir) { QFile::link("gone.php", dir + "/out.php"); }},
    {"help", {"--help"}, {}, 0,
        {"Usage: zestrel", "--check", "ZESTREL_DB_PASSWORD", "ZESTREL_OWNER_PASSWORD", "ZESTREL_SMTP_PASSWORD"}, {},
        false},
    {"help before anything wrong", {"--fast", "-h"}, {}, 64, {}, {"--fast"}, false},
    {"version", {"--version"}, {}, 0, {"1.0.0"}, {}, false},
    {"compile without a script to write", {"--compile", "%1/good.zestrel"}, {}, 64, {}, {"-o"}, false},
    {"compile without a settings file", {"-o", "%1/out.php", "--compile"}, {}, 64, {}, {"settings file"}, false},
    {"compile and check", {"--compile", "--check", "a"}, {}, 64, {}, {"--check"}, false},
    {"script to write without a compile", {"-o", "%1/out.php"}, {}, 64, {}, {"--compile"}, false},
    {"output named twice", {"--compile", "a", "-o", "b", "-o", "c"}, {}, 64, {}, {"twice"}, false},
    {"two settings files", {"--compile", "a", "b", "-o", "c"}, {}, 64, {}, {"b is given"}, false},
    {"two files for the window", {"a.zestrel", "b.zestrel"}, {}, 64, {}, {"2"}, false},
    {"unknown option", {"-platform", "offscreen", "-x"}, {}, 64, {}, {"unknown option"}, false},
};

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void exitCodesAndMessages_data()
    {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < std::size(kCases); ++i)
            QTest::newRow(kCases[i].name) << static_cast<int>(i);
    }

    void exitCodesAndMessages()
    {
        QFETCH(int, row);
        const Case& c = kCases[row];
        QTemporaryDir dir;
        WriteSettings(dir.path());
        if (c.prepare)
            c.prepare(dir.path());
        QStringList arguments = c.arguments;
        arguments.replaceInStrings("%1", dir.path());
        const Run run = RunProgram(arguments, c.variables);
        QCOMPARE(run.code, c.code);
        for (const auto& [texts, stream] : {std::pair{c.out, QString::fromUtf8(run.out)}, std::pair{c.err, run.err}}) {
            QVERIFY2(!texts.isEmpty() || stream.isEmpty(), qPrintable(stream));
            for (const QString& text : texts)
                QVERIFY2(stream.contains(QString(text).replace("%1", dir.path())), qPrintable(stream));
        }
        QCOMPARE(ReadAll(dir.filePath("out.php")).startsWith("<?php\r\n"), c.written);
        // A replaced script is a new file: a second name of the old one keeps the old text.
        if (QFile::exists(dir.filePath("kept")))
            QCOMPARE(ReadAll(dir.filePath("kept")), ReadAll(dir.filePath("good.zestrel")));
    }

    // "-o -" writes the very bytes of the script file, and nothing else.
    void standardOutputHoldsTheScriptAlone()
    {
        QTemporaryDir dir;
        WriteSettings(dir.path());
        const Run run = RunProgram({"--compile", dir.filePath("good.zestrel"), "-o", "-"});
        QCOMPARE(RunProgram({"--compile", dir.filePath("good.zestrel"), "-o", dir.filePath("out.php")}).code, 0);
        QCOMPARE(run.out, ReadAll(dir.filePath("out.php")));
    }

    void windowRefusedByABuildWithoutIt()
    {
        if (ZESTREL_WITH_WINDOW)
            QSKIP("this build has the window");
        const Run run = RunProgram({});
        QCOMPARE(run.code, 64);
        QVERIFY2(run.err.contains("--compile"), qPrintable(run.err));
    }

    // Each kind of problem names a setting by its key or its variable, and
    // none speaks of the window's controls.
    void everyProblemNamesItsSetting()
    {
        for (int issue = 0; issue <= static_cast<int>(scriptgen::Issue::HostBadPort); ++issue) {
            const std::string line = zestrel::TerminalText(
                {scriptgen::Setting::Subject, static_cast<scriptgen::Issue>(issue), 0, "x", "y", 1, 2});
            QVERIFY2(std::any_of(std::begin(scriptgen::kSettingTable), std::end(scriptgen::kSettingTable),
                         [&](const scriptgen::SettingInfo& info) { return line.find(info.key) != std::string::npos; }),
                line.c_str());
            for (const char* word : {"tick", "click", "page "})
                QVERIFY2(line.find(word) == std::string::npos, line.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
