// The program run from the command line without a display, as a build script
// runs it: the script it compiles from a settings file is byte for byte the
// one the window saves, and each failure has its exit code and its message.
#include "commandline_test.h"

#include "core/settingsfile.h"
#include "windowfixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <functional>
#include <unistd.h>

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

// Runs the program with no display to connect to.
Run RunProgram(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    // A window's toolkit warns on standard error without a runtime folder of its own.
    const QTemporaryDir runtime;
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZESTREL_PROGRAM), arguments);
    if (!process.waitForFinished(60000))
        qFatal("the program did not finish");
    Run run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Types over a box's text; insert() takes what key clicks cannot, such as an
// emoji.
void Type(QObject* form, const char* name, const QString& text)
{
    auto* edit = Child<QLineEdit>(form, name);
    edit->selectAll();
    edit->insert(text);
}

// Sound safe settings for mail and insert, typed as a person does.
void TypeSafeSettings(QObject* form)
{
    TypeLines(Child<QWidget>(form, "Memo1"), {"name", "email"});
    Click(form, "CheckBox1");
    Type(form, "Edit2", "webuser");
    Type(form, "Edit4", "shop");
    Click(form, "CheckBox8");
    Trigger(form, "EmailVariables1");
    Click(form, "CheckBox2");
    Type(form, "Edit6", "owner@shop.test");
    Type(form, "Edit7", "Feedback \u00e9\U0001F600");
    Type(form, "Edit8", "$email");
    auto* variables = Child<QListView>(form, "CheckListBox1");
    variables->model()->setData(variables->model()->index(1, 0), Qt::Checked, Qt::CheckStateRole);
    Type(form, "LabeledEdit1", "thanks.html");
    Type(form, "LabeledEdit2", "sorry.html");
    TickSwitch(form, "DatabaseRecords1", "CheckBox3");
    Type(form, "Edit9", "people");
    TypeLines(Child<QWidget>(form, "Memo2"), {"name", "email"});
    ClickItem(Child<QTableView>(form, "StringGrid1"), 2, 1);
    QVERIFY(ChooseEntry(Child<QComboBox>(form, "ComboBox1"), "$email"));
}

// Classic settings in every control, but the password: a settings file has
// none, so the window's script must not have one either.
void TypeClassicSettings(QObject* form)
{
    FillEveryControl(form);
    Child<QLineEdit>(form, "Edit3")->clear();
}

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

// Each row makes its files in the folder and gives the arguments; %1 in the
// arguments and the expected texts stands for the folder.
struct Case {
    const char* name;
    std::function<void(const QString&)> prepare;
    QStringList arguments;
    int code;
    QString out;
    QString err; // the whole of standard error; one ending in "(" is compared up to there
    bool written; // out.php holds a script afterwards
};

const QString kTry = "Try 'zestrel --help' for more information.\n";
const QString kNote = "zestrel: note: settings files hold no passwords, so the script connects to MySQL with an "
                      "empty password.\n";

void Good(const QString& dir)
{
    scriptgen::ScriptSettings s = Settings(false);
    WriteFile(dir + "/good.zestrel", zestrel::SettingsFileBytes(s));
}

const Case kCases[] = {
    {"writes the script", Good, {"--compile", "%1/good.zestrel", "-o", "%1/out.php"}, 0, "", kNote, true},
    {"long option for the output", Good, {"--output", "%1/out.php", "--compile", "%1/good.zestrel"}, 0, "", kNote,
        true},
    {"replaces an existing script by a new file",
        [](const QString& dir) {
            Good(dir);
            WriteFile(dir + "/out.php", "old");
            if (link(QFile::encodeName(dir + "/out.php").constData(), QFile::encodeName(dir + "/kept").constData()))
                qFatal("cannot link");
        },
        {"--compile", "%1/good.zestrel", "-o", "%1/out.php"}, 0, "", kNote, true},
    {"settings file missing", {}, {"--compile", "%1/none.zestrel", "-o", "%1/out.php"}, 1, "",
        "zestrel: cannot read %1/none.zestrel: No such file or directory.\n", false},
    {"settings file damaged", [](const QString& dir) { WriteFile(dir + "/cut.zestrel", "{\"format\": \"Zes"); },
        {"--compile", "%1/cut.zestrel", "-o", "%1/out.php"}, 1, "",
        "zestrel: cannot read %1/cut.zestrel: the file is damaged or cut short (", false},
    {"script into a missing folder", Good, {"--compile", "%1/good.zestrel", "-o", "%1/no/out.php"}, 1, "",
        "zestrel: cannot write %1/no/out.php: No such file or directory.\n", false},
    {"script onto a folder",
        [](const QString& dir) {
            Good(dir);
            QDir(dir).mkdir("out.php");
        },
        {"--compile", "%1/good.zestrel", "-o", "%1/out.php"}, 1, "",
        "zestrel: cannot write %1/out.php: it is a folder, not a regular file.\n", false},
    {"script onto a link to nothing",
        [](const QString& dir) {
            Good(dir);
            if (symlink("gone.php", QFile::encodeName(dir + "/out.php").constData()))
                qFatal("cannot link");
        },
        {"--compile", "%1/good.zestrel", "-o", "%1/out.php"}, 1, "",
        "zestrel: cannot write %1/out.php: it is a symbolic link to \"gone.php\", which does not exist.\n", false},
    {"the safe check finds problems",
        [](const QString& dir) { WriteFile(dir + "/safe.zestrel", zestrel::SettingsFileBytes(Settings(true))); },
        {"--compile", "%1/safe.zestrel", "-o", "%1/out.php"}, 2, "",
        "%1/safe.zestrel: Username is empty: type the MySQL user the script connects as.\n"
        "%1/safe.zestrel: Owner password is empty, but creating and deleting a table must be kept to you: type an "
        "owner password on the page Script Setup, and sign in with the user name owner and that password to run the "
        "script.\n"
        "%1/safe.zestrel: Table Name (Delete Table) is empty: type the name as it is in the database.\n",
        false},
    {"settings of a newer version",
        [](const QString& dir) {
            QByteArray bytes = zestrel::SettingsFileBytes(Settings(false));
            bytes.replace("\"format\"", "\"webhook\": {}, \"format\"");
            WriteFile(dir + "/newer.zestrel", bytes);
        },
        {"--compile", "%1/newer.zestrel", "-o", "%1/out.php"}, 0, "",
        "zestrel: %1/newer.zestrel: left out settings this version does not know: webhook.\n" + kNote, true},
    {"help", {}, {"--help"}, 0, "Usage: zestrel [FILE.zestrel]\n       zestrel --compile FILE.zestrel -o SCRIPT.php\n",
        "", false},
    {"help before anything wrong", {}, {"--fast", "-h"}, 64, "", "zestrel: unknown option --fast.\n" + kTry, false},
    {"version", {}, {"--version"}, 0, "Zestrel PHP Script Creator 1.0.0\n", "", false},
    {"compile without a script to write", {}, {"--compile", "%1/good.zestrel"}, 64, "",
        "zestrel: --compile needs -o and the name of the script to write.\n" + kTry, false},
    {"compile without a settings file", {}, {"-o", "%1/out.php", "--compile"}, 64, "",
        "zestrel: --compile needs the settings file to compile.\n" + kTry, false},
    {"script to write without a compile", {}, {"-o", "%1/out.php"}, 64, "",
        "zestrel: -o writes the script of --compile, which is missing.\n" + kTry, false},
    {"output named twice", {}, {"--compile", "a", "-o", "b", "-o", "c"}, 64, "",
        "zestrel: the script to write is given twice.\n" + kTry, false},
    {"two settings files", {}, {"--compile", "a", "b", "-o", "c"}, 64, "",
        "zestrel: --compile takes one settings file, but b is given too.\n" + kTry, false},
    {"unknown long option", {}, {"--compile", "a", "-o", "b", "--fast"}, 64, "",
        "zestrel: unknown option --fast.\n" + kTry, false},
    // The window's toolkit takes its own options first; what is left is ours.
    {"unknown option after the toolkit's", {}, {"-platform", "offscreen", "-x"}, 64, "",
        "zestrel: unknown option -x.\n" + kTry, false},
    {"two files for the window", {}, {"-platform", "offscreen", "a.zestrel", "b.zestrel"}, 64, "",
        "zestrel: the window opens one settings file, but 2 are given.\n" + kTry, false},
};

} // namespace

void CommandLineTest::compileGivesTheWindowsScript_data()
{
    QTest::addColumn<bool>("safe");
    QTest::newRow("classic script, every control") << false;
    QTest::newRow("safe script, mail and insert") << true;
}

void CommandLineTest::compileGivesTheWindowsScript()
{
    QFETCH(bool, safe);
    QTemporaryDir dir;
    const auto form = StartForm();
    if (safe)
        TypeSafeSettings(form.get());
    else
        TypeClassicSettings(form.get());
    const QString settings = dir.filePath("form.zestrel");
    zestrel::SettingsDialog::setNextFileName(settings);
    Trigger(form.get(), "SaveSettingsAs1");
    Compile(form.get());
    zestrel::SaveDialog::setNextFileName(dir.filePath("window"));
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton3"), Qt::LeftButton);
    const QByteArray windowScript = ReadAll(dir.filePath("window.php"));
    QVERIFY(windowScript.size() > 1000);

    const Run run = RunProgram({"--compile", settings, "-o", dir.filePath("line.php")});
    QCOMPARE(run.err, kNote);
    QCOMPARE(run.code, 0);
    QCOMPARE(ReadAll(dir.filePath("line.php")), windowScript);
}

void CommandLineTest::exitCodesAndMessages_data()
{
    AddRows(kCases);
}

void CommandLineTest::exitCodesAndMessages()
{
    QFETCH(int, row);
    const Case& c = kCases[row];
    QTemporaryDir dir;
    if (c.prepare)
        c.prepare(dir.path());
    QStringList arguments;
    for (const QString& argument : c.arguments)
        arguments.append(QString(argument).replace("%1", dir.path()));
    const Run run = RunProgram(arguments);
    const QString err = QString(c.err).replace("%1", dir.path());
    QCOMPARE(run.code, c.code);
    if (err.endsWith('('))
        QVERIFY2(run.err.startsWith(err), qPrintable(run.err));
    else
        QCOMPARE(run.err, err);
    if (c.out.endsWith('\n') && c.out.count('\n') > 1)
        QVERIFY2(run.out.startsWith(c.out), qPrintable(run.out));
    else
        QCOMPARE(run.out, c.out);
    const QByteArray script = ReadAll(dir.filePath("out.php"));
    QCOMPARE(script.startsWith("<?php\r\n"), c.written);
    // A replaced script is a new file: a second name of the old one keeps the old text.
    if (QFile::exists(dir.filePath("kept")))
        QCOMPARE(ReadAll(dir.filePath("kept")), QByteArray("old"));
}

void CommandLineTest::windowStartsWithTheFileOpen()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("start.zestrel");
    WriteFile(settings, zestrel::SettingsFileBytes(Settings(false)));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZESTREL_PROGRAM), {"-platform", "offscreen", settings});
    // The opened file goes on the recent list; the window then waits for its
    // report to be read.
    QTRY_VERIFY_WITH_TIMEOUT(ReadAll(dir.filePath("config/VORTEQ/Zestrel.conf")).contains("start.zestrel"), 20000);
    QCOMPARE(process.state(), QProcess::Running);
    process.kill();
    process.waitForFinished();
}

QTEST_MAIN(CommandLineTest)
