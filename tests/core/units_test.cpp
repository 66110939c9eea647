// The window's rules that need no window: the insert-mapping grid model, the
// line rules of the edits, the application's title, menu accelerators and
// the name a script is saved under.
#include "units_test.h"

#include "core/insertgrid.h"
#include "core/safefile.h"
#include "core/textrules.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using zestrel::InsertGrid;

void UnitsTest::gridStartsWithHeaderAndOneDataRow()
{
    const InsertGrid grid;
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.fixedRowCount(), 1);
    QCOMPARE(grid.currentColumn(), 0);
    QCOMPARE(grid.currentRow(), 1);
    QVERIFY(grid.isFixedRow(0));
    QVERIFY(!grid.isFixedRow(1));
}

void UnitsTest::gridRowsFollowTheList_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("rows");
    QTest::newRow("three fields") << QStringList{"id", "name", "email"} << 4;
    QTest::newRow("one empty line") << QStringList{""} << 2;
    QTest::newRow("blank lines kept") << QStringList{" ", "", "x"} << 4;
}

void UnitsTest::gridRowsFollowTheList()
{
    QFETCH(QStringList, lines);
    QFETCH(int, rows);
    InsertGrid grid;
    grid.setFieldNames(lines);
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.fixedRowCount(), 1);
    for (int i = 0; i < lines.size(); ++i) {
        QCOMPARE(grid.cell(InsertGrid::kFieldColumn, i + 1), lines[i]);
        QCOMPARE(grid.cell(InsertGrid::kValueColumn, i + 1), QString());
    }
}

void UnitsTest::gridKeepsTextsOfHiddenRows()
{
    InsertGrid grid;
    grid.setFieldNames({"a", "b", "c"});
    QVERIFY(grid.selectCell(1, 3));
    grid.setCurrentValue("$c");
    grid.setFieldNames({"a", "b"});
    QCOMPARE(grid.rowCount(), 3);
    QCOMPARE(grid.currentRow(), 2);
    QCOMPARE(grid.dataValues(), QStringList({"", ""}));
    grid.setFieldNames({"a", "b", "c"});
    QCOMPARE(grid.cell(1, 3), QString("$c"));
    QCOMPARE(grid.dataValues(), QStringList({"", "", "$c"}));
}

void UnitsTest::gridLosesItsHeaderRowWhenTheListIsEmptied()
{
    InsertGrid grid;
    grid.resetColumn(0, "Field");
    grid.resetColumn(1, "Variable / Value");
    grid.setFieldNames({"a", "b"});
    QVERIFY(grid.selectCell(1, 2));
    grid.setFieldNames({});
    QCOMPARE(grid.rowCount(), 1);
    QCOMPARE(grid.fixedRowCount(), 0);
    QCOMPARE(grid.currentColumn(), 0);
    QCOMPARE(grid.currentRow(), 0);
    QVERIFY(!grid.isFixedRow(0));

    // The fixed rows never come back; the old header is now an ordinary row
    // that receives the next value.
    grid.setFieldNames({"a"});
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.fixedRowCount(), 0);
    QCOMPARE(grid.currentRow(), 0);
    QCOMPARE(grid.cell(0, 0), QString("Field"));
    grid.setCurrentValue("$x");
    QCOMPARE(grid.cell(1, 0), QString("$x"));
    QCOMPARE(grid.dataValues(), QStringList({""}));
}

void UnitsTest::gridRefusesSelectingFixedOrMissingCells_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("header row") << 1 << 0 << false;
    QTest::newRow("below the last row") << 0 << 4 << false;
    QTest::newRow("third column") << 2 << 1 << false;
    QTest::newRow("value of last row") << 1 << 3 << true;
    QTest::newRow("field of first row") << 0 << 1 << true;
}

void UnitsTest::gridRefusesSelectingFixedOrMissingCells()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, accepted);
    InsertGrid grid;
    grid.setFieldNames({"a", "b", "c"});
    QVERIFY(grid.selectCell(1, 2));
    QCOMPARE(grid.selectCell(column, row), accepted);
    QCOMPARE(grid.currentColumn(), accepted ? column : 1);
    QCOMPARE(grid.currentRow(), accepted ? row : 2);
}

void UnitsTest::gridCurrentCellFollowsAShrinkingList()
{
    InsertGrid grid;
    grid.setFieldNames({"a", "b", "c", "d"});
    QVERIFY(grid.selectCell(1, 4));
    grid.setFieldNames({"a"});
    QCOMPARE(grid.currentColumn(), 1);
    QCOMPARE(grid.currentRow(), 1);
    QCOMPARE(grid.fixedRowCount(), 1);
}

void UnitsTest::gridResetColumnWritesTheHeading()
{
    InsertGrid grid;
    grid.setCell(0, 0, "old");
    grid.setCell(0, 1, "data");
    grid.resetColumn(0, "Field");
    QCOMPARE(grid.cell(0, 0), QString("Field"));
    QCOMPARE(grid.cell(0, 1), QString());
}

void UnitsTest::gridShowsTheValuesOfASettingsFile_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("as many values as fields") << QStringList{"a", "b"} << QStringList{"$a", "2"};
    QTest::newRow("fewer values than before") << QStringList{"a"} << QStringList{"x"};
    QTest::newRow("no values") << QStringList{"a", "b", "c"} << QStringList{"", "", ""};
}

void UnitsTest::gridShowsTheValuesOfASettingsFile()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, values);
    InsertGrid grid;
    grid.setFieldNames({"1", "2", "3", "4"});
    for (int row = 1; row <= 4; ++row) {
        QVERIFY(grid.selectCell(InsertGrid::kValueColumn, row));
        grid.setCurrentValue(QString("old %1").arg(row));
    }
    grid.setFieldNames(fields);
    grid.setDataValues(values);
    QCOMPARE(grid.dataValues(), values);
    // No value from before comes back when the list grows again.
    grid.setFieldNames({"1", "2", "3", "4", "5"});
    QCOMPARE(grid.dataValues(), values + QStringList(5 - values.size(), QString()));
}

void UnitsTest::gridValueGoesToTheCurrentRow()
{
    InsertGrid grid;
    grid.setFieldNames({"a", "b"});
    // The current column does not matter: the value cell of the row gets it.
    QCOMPARE(grid.currentColumn(), 0);
    grid.setCurrentValue("5");
    QCOMPARE(grid.cell(1, 1), QString("5"));
    QCOMPARE(grid.cell(0, 1), QString("a"));
    // A renamed field keeps the value of its row.
    grid.setFieldNames({"id", "b"});
    QCOMPARE(grid.cell(0, 1), QString("id"));
    QCOMPARE(grid.cell(1, 1), QString("5"));
}

void UnitsTest::flattenLineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("flat");
    QTest::addColumn<int>("flatCursor");
    QTest::newRow("no break") << "abc" << 2 << "abc" << 2;
    QTest::newRow("line feed") << "a\nb" << 3 << "a b" << 3;
    QTest::newRow("CR LF is one break") << "a\r\nb" << 4 << "a b" << 3;
    QTest::newRow("lone CR") << "a\rb" << 3 << "a b" << 3;
    QTest::newRow("cursor before CR LF") << "a\r\nb" << 1 << "a b" << 1;
    QTest::newRow("paragraph separator") << QString("a") + QChar::ParagraphSeparator + "b" << 3 << "a b" << 3;
    QTest::newRow("line separator") << QString("a") + QChar::LineSeparator + "b" << 3 << "a b" << 3;
    QTest::newRow("two breaks") << "\n\r\n" << 3 << "  " << 2;
}

void UnitsTest::flattenLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, flat);
    QFETCH(int, flatCursor);
    QCOMPARE(zestrel::FlattenLineBreaks(text, &cursor), flat);
    QCOMPARE(cursor, flatCursor);
}

void UnitsTest::applicationTitle_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("title");
    QTest::newRow("our program") << "/usr/local/bin/zestrel"
                                 << "zestrel";
    QTest::newRow("mixed case with extension") << "C:/Tools/ScriptMaker.exe"
                                               << "Scriptmaker";
    QTest::newRow("up to the first dot") << "Zestrel.bin.old"
                                         << "Zestrel";
    QTest::newRow("all capitals") << "ZESTREL"
                                  << "Zestrel";
    QTest::newRow("digits and signs kept") << "my-Tool2.x"
                                           << "my-tool2";
}

void UnitsTest::applicationTitle()
{
    QFETCH(QString, program);
    QFETCH(QString, title);
    QCOMPARE(zestrel::ApplicationTitleFor(program), title);
}

void UnitsTest::accelerators_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("marked");
    QTest::newRow("top level") << QStringList{"File", "Edit", "Help"} << QStringList{"&File", "&Edit", "&Help"};
    QTest::newRow("edit menu") << QStringList{"Compile Script ", "Script Setup", "Email Variables", "Database Records",
                                      "View Database Records", "Alter Database Records"}
                               << QStringList{"&Compile Script ", "&Script Setup", "&Email Variables",
                                      "&Database Records", "&View Database Records", "&Alter Database Records"};
    QTest::newRow("clash moves to the next word start")
        << QStringList{"Save", "New Script"} << QStringList{"&Save", "&New Script"};
    QTest::newRow("then to any letter") << QStringList{"Save", "Save Script"} << QStringList{"&Save", "S&ave Script"};
    QTest::newRow("ampersand escaped") << QStringList{"R&D"} << QStringList{"&R&&D"};
}

void UnitsTest::accelerators()
{
    QFETCH(QStringList, captions);
    QFETCH(QStringList, marked);
    const QStringList result = zestrel::WithAccelerators(captions);
    QCOMPARE(result, marked);
    QSet<QChar> letters;
    for (const QString& caption : result) {
        const qsizetype mark = caption.indexOf(QRegularExpression("&[^&]"));
        QVERIFY(mark >= 0);
        letters.insert(caption[mark + 1].toLower());
    }
    QCOMPARE(letters.size(), result.size());
}

void UnitsTest::scriptFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare name") << "/tmp/contact"
                               << "/tmp/contact.php";
    QTest::newRow("already .php") << "/tmp/contact.php"
                                  << "/tmp/contact.php";
    QTest::newRow("capital suffix") << "/tmp/CONTACT.PHP"
                                    << "/tmp/CONTACT.PHP";
    QTest::newRow("other suffix") << "/tmp/contact.html"
                                  << "/tmp/contact.html.php";
    QTest::newRow("php without dot") << "/tmp/contactphp"
                                     << "/tmp/contactphp.php";
    QTest::newRow("settings, bare name") << "/tmp/contact"
                                         << "/tmp/contact.zestrel";
    QTest::newRow("settings, already .zestrel") << "/tmp/contact.Zestrel"
                                                << "/tmp/contact.Zestrel";
    QTest::newRow("settings, named like a script") << "/tmp/contact.php"
                                                   << "/tmp/contact.php.zestrel";
}

void UnitsTest::scriptFileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    const QString suffix = written.endsWith(".zestrel", Qt::CaseInsensitive) ? ".zestrel" : ".php";
    QCOMPARE(zestrel::WithSuffix(chosen, suffix), written);
    if (suffix == ".php")
        QCOMPARE(zestrel::ScriptFileName(chosen), written);
}

QTEST_GUILESS_MAIN(UnitsTest)
