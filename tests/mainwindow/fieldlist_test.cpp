// The field list feeding the mail list and the two value pickers, and the
// insert grid as a person uses it through the value picker; the grid's own
// rules are tested without the window.
#include "fieldlist_test.h"

#include "windowfixture.h"

#include <QAction>
#include <QApplication>

#include <algorithm>

void FieldListTest::propagation_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("two names") << QStringList{"name", "email"} << QStringList{"$name", "$email"};
    QTest::newRow("empty line in the middle")
        << QStringList{"name", "", "email"} << QStringList{"$name", "$", "$email"};
    QTest::newRow("final Enter adds nothing") << QStringList{"name", "email", ""} << QStringList{"$name", "$email"};
    QTest::newRow("second final Enter adds $") << QStringList{"email", "", ""} << QStringList{"$email", "$"};
    QTest::newRow("blanks kept") << QStringList{" city "} << QStringList{"$ city "};
    QTest::newRow("leading dollar") << QStringList{"$x"} << QStringList{"$$x"};
    QTest::newRow("duplicates") << QStringList{"a", "a"} << QStringList{"$a", "$a"};
    QTest::newRow("only blank lines") << QStringList{"", " "} << QStringList{"$", "$ "};
}

void FieldListTest::propagation()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, entries);
    const auto form = StartForm();
    // The three pickers are disabled at start; typing still rebuilds them.
    TypeLines(Child<QWidget>(form.get(), "Memo1"), typed);
    const auto* list = Child<QListView>(form.get(), "CheckListBox1");
    QCOMPARE(ListEntries(list), entries);
    for (int row = 0; row < list->model()->rowCount(); ++row)
        QCOMPARE(list->model()->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(ComboEntries(Child<QComboBox>(form.get(), "ComboBox1")), entries);
    QCOMPARE(ComboEntries(Child<QComboBox>(form.get(), "ComboBox2")), entries);
    QCOMPARE(Text(form.get(), "ComboBox1"), QString("Value"));
    QCOMPARE(Text(form.get(), "ComboBox2"), QString("Enter / Select Value"));
}

void FieldListTest::fillAndMapFromTheFieldList_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QStringList>("mapped"); // the insert grid's values after mapping
    QTest::newRow("insert fields") << "Memo2" << QStringList{"$email", "", "$name"};
    QTest::newRow("fields to display") << "Memo3" << QStringList();
    QTest::newRow("fields to display where") << "Memo4" << QStringList();
    QTest::newRow("the new table's fields") << "Memo6" << QStringList();
}

// The lists of columns fill from the field list in one undoable step; the
// insert grid maps each column of a field's name to that field.
void FieldListTest::fillAndMapFromTheFieldList()
{
    QFETCH(QString, memo);
    QFETCH(QStringList, mapped);
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email", "phone"});
    auto* box = Child<QPlainTextEdit>(form.get(), memo.toLatin1().constData());
    box->setPlainText("kept");
    Child<QAction>(form.get(), (memo + "Fill").toLatin1().constData())->trigger();
    QCOMPARE(box->toPlainText(), QString("name\nemail\nphone"));
    box->undo();
    QCOMPARE(box->toPlainText(), QString("kept"));
    QVERIFY(!form->findChild<QAction*>("Memo1Fill")); // the field list itself
    if (mapped.isEmpty())
        return;
    box->setPlainText("email\ncomment\nname");
    Child<QAction>(form.get(), "StringGrid1Map")->trigger();
    QStringList values;
    for (const std::string& value : form->CurrentSettings().insertValues)
        values.append(QString::fromStdString(value));
    QCOMPARE(values, mapped);
}

void FieldListTest::retypingUnticksMailVariables()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    TickSwitch(form.get(), "EmailVariables1", "CheckBox2");
    auto* list = Child<QListView>(form.get(), "CheckListBox1");
    ClickItem(list, 1);
    QTest::keyClick(list, Qt::Key_Space);
    const auto checked = [list](int row) {
        return list->model()->index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    };
    QVERIFY(checked(1));
    QVERIFY(!checked(0));
    QCOMPARE(form->CurrentSettings().mailVariables.at(1).checked, true);

    Trigger(form.get(), "ScriptSetup1");
    QTest::keyClicks(Child<QWidget>(form.get(), "Memo1"), "x");
    QCOMPARE(ListEntries(list), QStringList({"$name", "$emailx"}));
    QVERIFY(!checked(0));
    QVERIFY(!checked(1));
}

void FieldListTest::emptyingFieldListEmptiesLists()
{
    const auto form = StartForm();
    auto* memo = Child<QWidget>(form.get(), "Memo1");
    TypeLines(memo, {"name", "email"});
    SelectAllAndDelete(memo);
    QCOMPARE(Child<QListView>(form.get(), "CheckListBox1")->model()->rowCount(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox1")->count(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox2")->count(), 0);
    QCOMPARE(Text(form.get(), "ComboBox1"), QString("Value"));
    QCOMPARE(Text(form.get(), "ComboBox2"), QString("Enter / Select Value"));
}

void FieldListTest::pickerFillsValueCells()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    TypeLines(Child<QWidget>(form.get(), "Memo2"), {"id", "name", "email"});
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");

    ClickItem(grid, 2, 1);
    QVERIFY(picker->isEnabled());
    QVERIFY(ChooseEntry(picker, "$name"));
    QCOMPARE(Cell(form.get(), 2, 1), QString("$name"));
    QTest::keyClicks(picker, "x");
    QCOMPARE(Cell(form.get(), 2, 1), QString("$namex"));

    ClickItem(grid, 1, 0);
    QVERIFY(!picker->isEnabled());
    ClickItem(grid, 1, 1);
    QVERIFY(picker->isEnabled());
    // Moving the current cell with the keyboard is a selection too.
    QTest::keyClick(grid, Qt::Key_Left);
    QVERIFY(!picker->isEnabled());
    QCOMPARE(Cell(form.get(), 1, 1), QString());
}

void FieldListTest::choosingFromTheList_data()
{
    QTest::addColumn<QString>("before"); // the picker's text for row 1: an entry chosen or a text typed
    QTest::addColumn<int>("downs"); // presses of Down before Enter; -1: click $email with the mouse
    QTest::addColumn<QString>("row2");
    QTest::newRow("default text: the first Down picks the first entry") << "" << 1 << "$name";
    QTest::newRow("typed text: the first Down picks the first entry") << "typed" << 1 << "$name";
    QTest::newRow("the list opens on the entry shown") << "$name" << 1 << "$email";
    QTest::newRow("the entry already shown, by Enter") << "$email" << 0 << "$email";
    QTest::newRow("the entry already shown, by mouse") << "$email" << -1 << "$email";
}

void FieldListTest::choosingFromTheList()
{
    QFETCH(QString, before);
    QFETCH(int, downs);
    QFETCH(QString, row2);
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    TypeLines(Child<QWidget>(form.get(), "Memo2"), {"a", "b"});
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    ClickItem(grid, 1, 1);
    if (before.startsWith('$')) {
        QVERIFY(ChooseEntry(picker, before));
    } else if (!before.isEmpty()) {
        QTest::keySequence(picker, QKeySequence::SelectAll);
        QTest::keyClicks(picker, before);
    }
    const QString row1 = Cell(form.get(), 1, 1);

    ClickItem(grid, 2, 1);
    QTest::keyClick(picker, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* list = picker->view();
    QTRY_VERIFY(list->isVisible());
    if (downs < 0)
        ClickItem(list, picker->findText("$email"));
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    if (downs >= 0)
        QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(Cell(form.get(), 2, 1), row2);
    QCOMPARE(Cell(form.get(), 1, 1), row1);
}

void FieldListTest::freshlyTickedPickerWritesRowOne()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    QVERIFY(picker->isEnabled());
    QTest::keySequence(picker, QKeySequence::SelectAll);
    QTest::keyClicks(picker, "5");
    QCOMPARE(Cell(form.get(), 1, 1), QString("5"));
    QCOMPARE(Cell(form.get(), 0, 1), QString("Variable / Value"));
}

void FieldListTest::emptiedListLosesHeaderRow()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* memo = Child<QWidget>(form.get(), "Memo2");
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    TypeLines(memo, {"a", "b"});
    ClickItem(grid, 2, 1);
    SelectAllAndDelete(memo);
    QCOMPARE(GridRows(form.get()), 1);
    QCOMPARE(form->Grid().fixedRowCount(), 0);
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->currentIndex().column(), 0);
    QVERIFY(picker->isEnabled());

    QTest::keyClicks(memo, "a");
    QCOMPARE(GridRows(form.get()), 2);
    QCOMPARE(Cell(form.get(), 0, 0), QString("Field"));
    QCOMPARE(Cell(form.get(), 0, 1), QString("Variable / Value"));
    QCOMPARE(grid->currentIndex().row(), 0);
    QTest::keySequence(picker, QKeySequence::SelectAll);
    QTest::keyClicks(picker, "$v");
    QCOMPARE(Cell(form.get(), 0, 1), QString("$v"));
    QCOMPARE(Cell(form.get(), 1, 1), QString());
    // Row 0 is ordinary now and can be chosen; the compile still reads only
    // rows 1 and below.
    QVERIFY(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsSelectable);
    QCOMPARE(form->CurrentSettings().insertValues, scriptgen::Lines({""}));
}

void FieldListTest::headerRowCannotBeSelected()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    ClickItem(grid, 0, 0);
    QCOMPARE(form->Grid().currentRow(), 1);
    QVERIFY(Enabled(form.get(), "ComboBox1"));
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(form->Grid().currentRow(), 1);
}

void FieldListTest::linesOfTheFieldList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one line") << "name" << QStringList{"name"};
    QTest::newRow("final break adds nothing") << "name\nemail\n" << QStringList{"name", "email"};
    QTest::newRow("two final breaks") << "email\n\n" << QStringList{"email", ""};
    QTest::newRow("lone break") << "\n" << QStringList{""};
    QTest::newRow("empty middle line") << "name\n\nemail" << QStringList{"name", "", "email"};
    QTest::newRow("blanks kept") << " city \n " << QStringList{" city ", " "};
    QTest::newRow("long line stays one") << QString(500, 'x') << QStringList{QString(500, 'x')};
    QTest::newRow("no-break space and line separator kept")
        << "a\u00a0b\nc\u2028d" << QStringList{"a\u00a0b", "c\u2028d"};
}

void FieldListTest::linesOfTheFieldList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    const auto form = StartForm();
    Child<QPlainTextEdit>(form.get(), "Memo1")->setPlainText(text);
    scriptgen::Lines expected;
    for (const QString& line : lines)
        expected.push_back(line.toStdString());
    QCOMPARE(form->CurrentSettings().fieldList, expected);
    QCOMPARE(ListEntries(Child<QListView>(form.get(), "CheckListBox1")).size(), lines.size());
}

QTEST_MAIN(FieldListTest)
