// The program run from the command line beside the window: the script it
// compiles from a settings file, with the password from the environment, is
// byte for byte the one the window saves, and a named file opens in the window.
#include "windowcommandline_test.h"

#include "../commandline/program.h"
#include "core/settingsfile.h"
#include "windowfixture.h"

#include <QProcess>

namespace {

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

// The database password, typed in the window and given to the command line.
const QString kPassword = "Db-Pa55 \u00e9";

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
        FillEveryControl(form.get());
    Type(form.get(), "Edit3", kPassword);
    const QString settings = dir.filePath("form.zestrel");
    zestrel::SettingsDialog::setNextFileName(settings);
    Trigger(form.get(), "SaveSettingsAs1");
    Compile(form.get());
    zestrel::SaveDialog::setNextFileName(dir.filePath("window"));
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton3"), Qt::LeftButton);
    const QByteArray windowScript = ReadAll(dir.filePath("window.php"));
    QVERIFY(windowScript.size() > 1000);

    const Run run =
        RunProgram({"--compile", settings, "-o", dir.filePath("line.php")}, {"ZESTREL_DB_PASSWORD=" + kPassword});
    QCOMPARE(run.code, 0);
    QCOMPARE(ReadAll(dir.filePath("line.php")), windowScript);
}

void CommandLineTest::windowStartsWithTheFileOpen()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("start.zestrel");
    scriptgen::ScriptSettings classic;
    classic.fieldList = {"name"};
    WriteFile(settings, zestrel::SettingsFileBytes(classic));
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
