// The section switches governing their controls, ticked by a click or a
// screen reader's toggle, and New Script emptying the settings while it keeps
// the switches, the result pages and the grid's values.
#include "switches_test.h"

#include "mainwindow/widgets.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QLabel>

void SwitchesTest::switches_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("checkBox");
    QTest::addColumn<QStringList>("governed");
    QTest::newRow("database") << "ScriptSetup1"
                              << "CheckBox1" << QStringList{"Edit1", "Edit2", "Edit3", "Edit4"};
    QTest::newRow("mail") << "EmailVariables1"
                          << "CheckBox2"
                          << QStringList{"Edit6", "Edit7", "Edit8", "CheckListBox1", "LabeledEdit1", "LabeledEdit2"};
    QTest::newRow("insert") << "DatabaseRecords1"
                            << "CheckBox3" << QStringList{"Edit9", "Memo2", "StringGrid1", "ComboBox1"};
    QTest::newRow("display all") << "ViewDatabaseRecords1"
                                 << "CheckBox4" << QStringList{"Edit10", "Memo3"};
    QTest::newRow("display specific") << "ViewDatabaseRecords1"
                                      << "CheckBox5" << QStringList{"Edit11", "Memo4", "Edit12", "ComboBox2"};
    QTest::newRow("create table") << "AlterDatabaseRecords1"
                                  << "CheckBox6" << QStringList{"Edit13", "Memo6"};
    QTest::newRow("drop table") << "AlterDatabaseRecords1"
                                << "CheckBox7" << QStringList{"Edit14"};
}

void SwitchesTest::switches()
{
    QFETCH(QString, page);
    QFETCH(QString, checkBox);
    QFETCH(QStringList, governed);
    const auto form = StartForm();
    TickSwitch(form.get(), page.toLatin1().constData(), checkBox.toLatin1().constData());
    for (const char* name : kTaskControls)
        QVERIFY2(Enabled(form.get(), name) == governed.contains(name), name);

    // Type into each governed text box, untick: greyed, text kept.
    for (const QString& name : governed) {
        auto* widget = Child<QWidget>(form.get(), name.toLatin1().constData());
        if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
            qobject_cast<QComboBox*>(widget))
            QTest::keyClicks(widget, "typed");
    }
    // Untick as a screen reader does, through the box's toggle action.
    const scriptgen::ScriptSettings before = form->CurrentSettings();
    QAccessible::queryAccessibleInterface(Child<QCheckBox>(form.get(), checkBox.toLatin1().constData()))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    for (const char* name : kTaskControls)
        QVERIFY2(!Enabled(form.get(), name), name);
    const scriptgen::ScriptSettings after = form->CurrentSettings();
    QCOMPARE(after.host, before.host);
    QCOMPARE(after.recipient, before.recipient);
    QCOMPARE(after.insertFields, before.insertFields);
    QCOMPARE(after.displayAllFields, before.displayAllFields);
    QCOMPARE(after.whereField, before.whereField);
    QCOMPARE(after.whereValue, before.whereValue);
    QCOMPARE(after.createTableFields, before.createTableFields);
    QCOMPARE(after.dropTableName, before.dropTableName);
    if (checkBox == "CheckBox2") {
        QVERIFY(!Child<zestrel::LabeledEdit>(form.get(), "LabeledEdit1")->editLabel()->isEnabled());
        Click(form.get(), "CheckBox2");
        QVERIFY(Child<zestrel::LabeledEdit>(form.get(), "LabeledEdit2")->editLabel()->isEnabled());
    }
}

void SwitchesTest::pickerEnabledAgainByItsSwitch()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    ClickItem(Child<QTableView>(form.get(), "StringGrid1"), 1, 0);
    QVERIFY(!Enabled(form.get(), "ComboBox1"));
    Click(form.get(), "CheckBox3");
    Click(form.get(), "CheckBox3");
    QVERIFY(Enabled(form.get(), "ComboBox1"));
}

void SwitchesTest::newScriptOnFreshWindow()
{
    const auto form = StartForm();
    Trigger(form.get(), "ViewDatabaseRecords1");
    Trigger(form.get(), "NewScript1");
    QCOMPARE(Child<QTabWidget>(form.get(), "PageControl1")->currentWidget()->objectName(), QString("TabSheet1"));
    for (const char* name : {"Memo1", "Memo2", "Memo3", "Memo4", "Memo6", "Edit1", "Edit2", "Edit3", "Edit4", "Edit6",
             "Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "Edit12", "Edit13", "Edit14", "ComboBox1", "ComboBox2"})
        QVERIFY2(Text(form.get(), name).trimmed().isEmpty(), name);
    QCOMPARE(Text(form.get(), "Memo2"), QString("\n"));
    QCOMPARE(Text(form.get(), "LabeledEdit1"), QString("http://"));
    QCOMPARE(Text(form.get(), "LabeledEdit2"), QString("http://"));
    for (const char* name : kTaskControls)
        QVERIFY2(!Enabled(form.get(), name), name);
    QCOMPARE(GridRows(form.get()), 2);
    QCOMPARE(form->Grid().fixedRowCount(), 1);
    QCOMPARE(Cell(form.get(), 0, 0), QString("Field"));
    QCOMPARE(Cell(form.get(), 0, 1), QString("Variable / Value"));
    QCOMPARE(Cell(form.get(), 1, 0), QString());
    QVERIFY(form->ScriptBuffer().empty());
}

void SwitchesTest::newScriptKeepsValuesAndSwitches()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* memo = Child<QWidget>(form.get(), "Memo2");
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    TypeLines(memo, {"a", "b"});
    for (int row : {1, 2}) {
        ClickItem(grid, row, 1);
        QTest::keySequence(picker, QKeySequence::SelectAll);
        QTest::keyClicks(picker, QString("$%1").arg(row));
    }
    Compile(form.get());
    QVERIFY(form->ScriptCompiled());

    Trigger(form.get(), "NewScript1");
    QVERIFY(Child<QCheckBox>(form.get(), "CheckBox3")->isChecked());
    QVERIFY(Enabled(form.get(), "Memo2"));
    QVERIFY(Enabled(form.get(), "Edit9"));
    QCOMPARE(ComboEntries(picker), QStringList());
    QCOMPARE(Child<QListView>(form.get(), "CheckListBox1")->model()->rowCount(), 0);
    QCOMPARE(GridRows(form.get()), 2);
    QCOMPARE(Cell(form.get(), 1, 1), QString("$1"));
    // The buffer is empty, so saving waits for the next compile.
    QVERIFY(!form->ScriptCompiled());

    Trigger(form.get(), "DatabaseRecords1");
    SelectAllAndDelete(memo);
    TypeLines(memo, {"a", "b"});
    QCOMPARE(Cell(form.get(), 2, 1), QString("$2"));
}

void SwitchesTest::newScriptEmptiesEveryControl()
{
    const auto form = StartForm();
    FillEveryControl(form.get());
    Compile(form.get());
    Trigger(form.get(), "AlterDatabaseRecords1");
    Trigger(form.get(), "NewScript1");
    // Every control after New Script: the boxes and lists are empty, the
    // table-field list holds one empty line; the result pages, the switches,
    // the values of the grid and every enabled state stay.
    const char* const after[][2] = {{"Memo1", ""}, {"Edit1", ""}, {"Edit2", ""}, {"Edit3", ""}, {"Edit4", ""},
        {"CheckBox1", "ticked"}, {"CheckBox2", "ticked"}, {"Edit6", ""}, {"Edit7", ""}, {"Edit8", ""},
        {"CheckListBox1", "[]"}, {"LabeledEdit1", "ok.html"}, {"LabeledEdit2", "no.html"}, {"CheckBox3", "ticked"},
        {"Edit9", ""}, {"Memo2", "\n"}, {"StringGrid1", "Field|Variable / Value;|$fa"}, {"ComboBox1", "[]"},
        {"CheckBox4", "ticked"}, {"Edit10", ""}, {"Memo3", ""}, {"CheckBox5", "ticked"}, {"Edit11", ""}, {"Edit12", ""},
        {"ComboBox2", "[]"}, {"Memo4", ""}, {"CheckBox6", "ticked"}, {"Edit13", ""}, {"Memo6", ""},
        {"CheckBox7", "ticked"}, {"Edit14", ""}, {"Memo5", ""}, {"PageControl1", "TabSheet1"}};
    for (const auto& [name, contents] : after)
        QCOMPARE(Contents(form.get(), name), QString(contents));
    QCOMPARE(form->Grid().fixedRowCount(), 1);
    QVERIFY(form->ScriptBuffer().empty());
}

QTEST_MAIN(SwitchesTest)
