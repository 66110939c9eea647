// The safe script in the window: its switch, the check that lists every
// problem instead of compiling, and the compile of sound settings.
#include "safescript_test.h"

#include "scriptgen/compiler.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QTabWidget>

namespace {

void Type(QObject* form, const char* name, const QString& text)
{
    auto* edit = Child<QLineEdit>(form, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Compiles, answering whatever box the compile shows; returns that box.
zestrel::MessageBoxes::Shown CompileAndTakeBox(QObject* form)
{
    zestrel::MessageBoxes::takeShown();
    Compile(form);
    const QList<zestrel::MessageBoxes::Shown> shown = zestrel::MessageBoxes::takeShown();
    if (shown.size() != 1)
        qFatal("a compile showed %d boxes", static_cast<int>(shown.size()));
    return shown.front();
}

} // namespace

void SafeScriptTest::switchBelowTheDatabaseGroup()
{
    const auto form = StartForm();
    auto* safe = Child<QCheckBox>(form.get(), "CheckBox8");
    QCOMPARE(safe->parentWidget(), Child<QWidget>(form.get(), "TabSheet1"));
    QCOMPARE(safe->geometry(), QRect(8, 360, 233, 17));
    QVERIFY(safe->geometry().top() >= Child<QWidget>(form.get(), "GroupBox2")->geometry().bottom());
    QVERIFY(safe->sizeHint().width() <= safe->width());
    QVERIFY(!safe->isChecked());
    QVERIFY(safe->isEnabled());
    QVERIFY(safe->toolTip().contains(QStringLiteral("PHP 8.1")));

    // The owner's settings are asked for while the safe script is.
    auto* owner = Child<QLineEdit>(form.get(), "Edit15");
    auto* open = Child<QCheckBox>(form.get(), "CheckBox9");
    QCOMPARE(owner->echoMode(), QLineEdit::Password);
    for (bool ticked : {true, false, true}) {
        Click(form.get(), "CheckBox8");
        QCOMPARE(safe->isChecked(), ticked);
        QCOMPARE(owner->isEnabled(), ticked);
        QCOMPARE(open->isEnabled(), ticked);
    }
    QVERIFY(!open->isChecked());
    QTest::keyClicks(owner, "secret");
    Trigger(form.get(), "NewScript1");
    QVERIFY(safe->isChecked());
    QCOMPARE(owner->text(), QString());
    QVERIFY(owner->isEnabled());
    QCOMPARE(form->CurrentSettings().recordsPublic, false);
}

void SafeScriptTest::problemsAreListedAndNothingIsCompiled()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    QCOMPARE(CompileAndTakeBox(form.get()).text, QStringLiteral("Script Successfully compiled!"));
    const scriptgen::Lines classic = form->ScriptBuffer();

    Click(form.get(), "CheckBox8");
    Trigger(form.get(), "DatabaseRecords1");
    Click(form.get(), "CheckBox3");
    Trigger(form.get(), "ViewDatabaseRecords1");
    Click(form.get(), "CheckBox5");
    const zestrel::MessageBoxes::Shown box = CompileAndTakeBox(form.get());
    QCOMPARE(box.kind, zestrel::MessageBoxes::Kind::Warning);
    const QStringList lines = box.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.front(), QStringLiteral("The safe script was not compiled. Please correct these settings:"));
    QCOMPARE(lines.back(), QStringLiteral("Save Script still saves the script compiled before."));
    for (const char* problem : {"\u2022 The database tasks need a database: tick \"Use a MySql Database\"",
             "\u2022 Insert into Table is empty", "\u2022 Where Field still shows \"Enter Field's Name\"",
             "\u2022 The value after \"=\" still shows \"Enter / Select Value\""})
        QVERIFY2(box.text.contains(QString::fromUtf8(problem)), qPrintable(box.text));
    QCOMPARE(form->ScriptBuffer(), classic);
    QVERIFY(form->ScriptCompiled());
    // The first problem is about the database switch: its page comes to the front.
    QCOMPARE(Child<QTabWidget>(form.get(), "PageControl1")->currentWidget(), Child<QWidget>(form.get(), "TabSheet1"));
    QVERIFY(Child<QWidget>(form.get(), "CheckBox1")->hasFocus());
}

void SafeScriptTest::soundSettingsCompileTheSafeScript()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    Trigger(form.get(), "EmailVariables1");
    Click(form.get(), "CheckBox2");
    Type(form.get(), "Edit6", QStringLiteral("owner@shop.test"));
    Type(form.get(), "Edit7", QStringLiteral("$name"));
    Type(form.get(), "Edit8", QStringLiteral("$email"));
    auto* variables = Child<QListView>(form.get(), "CheckListBox1");
    for (int row : {0, 1}) {
        variables->setCurrentIndex(variables->model()->index(row, 0));
        QTest::keyClick(variables, Qt::Key_Space);
    }
    Type(form.get(), "LabeledEdit1", QStringLiteral("thanks.html"));
    Type(form.get(), "LabeledEdit2", QStringLiteral("sorry.html"));
    Trigger(form.get(), "ScriptSetup1");
    Click(form.get(), "CheckBox8");

    QCOMPARE(CompileAndTakeBox(form.get()).text, QStringLiteral("Script Successfully compiled!"));
    const scriptgen::ScriptSettings settings = form->CurrentSettings();
    QCOMPARE(settings.target, scriptgen::Target::Safe);
    QCOMPARE(form->ScriptBuffer(), scriptgen::CompileScript(settings));
    QVERIFY(form->ScriptBuffer().back() != "?>");
    for (const char* line : {"        $subject = zestrel_header_text(zestrel_cut($form['name'], 200));",
             "        if (!mail($to, $subject, $body, $headers)) {"})
        QVERIFY2(
            std::find(form->ScriptBuffer().begin(), form->ScriptBuffer().end(), line) != form->ScriptBuffer().end(),
            line);

    Click(form.get(), "CheckBox8");
    QCOMPARE(CompileAndTakeBox(form.get()).text, QStringLiteral("Script Successfully compiled!"));
    QCOMPARE(form->ScriptBuffer().back(), "?>");
}

void SafeScriptTest::problemsInTheOrderOfTheBoxes()
{
    // The check finds the empty table to delete before the example text of
    // the where field; the window lists them top to bottom, page by page, and
    // brings the first one's box to the front.
    const auto form = StartForm();
    Click(form.get(), "CheckBox8");
    Click(form.get(), "CheckBox1");
    Type(form.get(), "Edit2", "webuser");
    Type(form.get(), "Edit4", "shop");
    Type(form.get(), "Edit15", "owner secret");
    TickSwitch(form.get(), "AlterDatabaseRecords1", "CheckBox7");
    TickSwitch(form.get(), "ViewDatabaseRecords1", "CheckBox5");
    Type(form.get(), "Edit11", "people");
    TypeLines(Child<QWidget>(form.get(), "Memo4"), {"email"});
    TypeOver(form.get(), "ComboBox2", "Ada");
    Trigger(form.get(), "ScriptSetup1");
    const QStringList lines = CompileAndTakeBox(form.get()).text.split('\n');
    QCOMPARE(lines.mid(2),
        QStringList({"\u2022 Where Field still shows \"Enter Field's Name\": type the name of the "
                     "field to match.",
            "\u2022 Table Name (Delete Table) is empty: type the name as it is in the database."}));
    QCOMPARE(CurrentPage(form.get()), QString("TabSheet4"));
    QVERIFY(Child<QWidget>(form.get(), "Edit12")->hasFocus());
}

void SafeScriptTest::longListsOfProblemsAreCut_data()
{
    QTest::addColumn<int>("names"); // field names no form can send, each one problem more than "no task"
    QTest::addColumn<bool>("compiledBefore");
    QTest::addColumn<QString>("last");
    QTest::newRow("12 problems, all shown") << 11 << false
                                            << "\u2022 No task is ticked: tick what the script must do, "
                                               "such as \"Send variables via email\" or \"Use "
                                               "'Database Records'\".";
    QTest::newRow("13 problems, one more") << 12 << false << "\u2022 \u2026and 1 more.";
    QTest::newRow("20 problems, after a compile")
        << 19 << true << "Save Script still saves the script compiled before.";
}

void SafeScriptTest::longListsOfProblemsAreCut()
{
    QFETCH(int, names);
    QFETCH(bool, compiledBefore);
    QFETCH(QString, last);
    const auto form = StartForm();
    if (compiledBefore)
        CompileAndTakeBox(form.get());
    QStringList lines;
    for (int i = 0; i < names; ++i)
        lines.append(QString("[n%1]").arg(i));
    TypeLines(Child<QWidget>(form.get(), "Memo1"), lines);
    Click(form.get(), "CheckBox8");
    Child<QWidget>(form.get(), "Edit1")->setFocus();
    const QStringList shown = CompileAndTakeBox(form.get()).text.split('\n');
    QCOMPARE(shown.back(), last);
    QCOMPARE(shown.filter(QRegularExpression("^\u2022 ")).size(), std::min(names + 1, 12) + (names + 1 > 12 ? 1 : 0));
    QCOMPARE(shown.contains("Save Script still saves the script compiled before."), compiledBefore);
    QVERIFY(shown[2].startsWith("\u2022 Enter Variables, line 1: \"[n0]\""));
    QVERIFY(Child<QWidget>(form.get(), "Memo1")->hasFocus());
}

QTEST_MAIN(SafeScriptTest)
