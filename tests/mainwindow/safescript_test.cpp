// The safe script in the window: its switch, the check that lists every
// problem instead of compiling, and the compile of sound settings.
#include "safescript_test.h"

#include "formdriver.h"
#include "scriptgen/compiler.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QTabWidget>

namespace {

void Click(QObject* form, const char* name)
{
    QTest::mouseClick(Child<QWidget>(form, name), Qt::LeftButton);
}

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

void SafeScriptTest::cleanup()
{
    QVERIFY(NoAnswersLeft());
}

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

    Click(form.get(), "CheckBox8");
    Trigger(form.get(), "NewScript1");
    QVERIFY(safe->isChecked());
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
    QVERIFY(std::find(form->ScriptBuffer().begin(), form->ScriptBuffer().end(),
                "        if (!mail($to, zestrel_header_text($form['name']), $body, $headers)) {") !=
        form->ScriptBuffer().end());

    Click(form.get(), "CheckBox8");
    QCOMPARE(CompileAndTakeBox(form.get()).text, QStringLiteral("Script Successfully compiled!"));
    QCOMPARE(form->ScriptBuffer().back(), "?>");
}

QTEST_MAIN(SafeScriptTest)
