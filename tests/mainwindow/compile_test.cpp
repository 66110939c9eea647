// Compile Script: the buffer it writes from what a person typed in every
// control, the help page's worked example, and boxes that keep long and
// pasted texts one line.
#include "compile_test.h"

#include "core/textrules.h"
#include "help/helpwindow.h"
#include "scriptgen/compiler.h"
#include "windowfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace {

// The lines of the listing <pre id="id"> of the help page the program shows.
scriptgen::Lines HelpListing(const QString& id)
{
    QFile file(BuiltInHelpPage().toString().replace("qrc:", ":"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no built-in help page");
    const QString page = QString::fromUtf8(file.readAll());
    const QString opening = QString("<pre id=\"%1\">").arg(id);
    const qsizetype start = page.indexOf(opening);
    if (start < 0)
        qFatal("no listing %s in the help page", qPrintable(id));
    QString text = page.mid(start + opening.size(), page.indexOf("</pre>", start) - start - opening.size());
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    scriptgen::Lines lines;
    for (const QString& line : text.split('\n'))
        lines.push_back(line.toStdString());
    return lines;
}

} // namespace

void CompileTest::compileDefaultWindow()
{
    const auto form = StartForm();
    Compile(form.get());
    const QList<zestrel::MessageBoxes::Shown> shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Information);
    QCOMPARE(shown[0].title, zestrel::ApplicationTitle());
    QCOMPARE(shown[0].text, QString("Script Successfully compiled!"));
    QCOMPARE(shown[0].details, QString("<?php\n\n\n\n?>"));
    QVERIFY(form->ScriptCompiled());
    QCOMPARE(form->ScriptBuffer(), scriptgen::Lines({"<?php", "", "", "", "?>"}));
    QCOMPARE(Text(form.get(), "Memo5"), QString("<?php\n\n\n\n?>"));
}

void CompileTest::compileNotesWhatTheClassicScriptNeeds_data()
{
    QTest::addColumn<QString>("switchBox");
    QTest::addColumn<int>("paragraphs");
    QTest::newRow("mail") << "CheckBox2" << 1;
    QTest::newRow("connection") << "CheckBox1" << 2;
    QTest::newRow("insert") << "CheckBox3" << 2;
    QTest::newRow("display all") << "CheckBox4" << 2;
    QTest::newRow("display specific") << "CheckBox5" << 2;
    QTest::newRow("create table") << "CheckBox6" << 2;
    QTest::newRow("drop table") << "CheckBox7" << 2;
}

void CompileTest::compileNotesWhatTheClassicScriptNeeds()
{
    QFETCH(QString, switchBox);
    QFETCH(int, paragraphs);
    const auto form = StartForm();
    Child<QCheckBox>(form.get(), switchBox.toLatin1().constData())->click();
    Compile(form.get());
    const QString text = zestrel::MessageBoxes::takeShown().value(0).text;
    QCOMPARE(text.split("\n\n").size(), paragraphs);
    QVERIFY(text.startsWith("Script Successfully compiled!"));
}

void CompileTest::compileTypedFieldList()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "", "email", ""});
    Compile(form.get());
    Compile(form.get());
    const scriptgen::Lines expected{"<?php", "", "$name = $_POST['name'];", "$email = $_POST['email'];", "", "", "?>"};
    QCOMPARE(form->ScriptBuffer(), expected);
    // Later changes reach the buffer only through the next compile.
    QTest::keyClicks(Child<QWidget>(form.get(), "Memo1"), "city");
    QCOMPARE(form->ScriptBuffer(), expected);
}

void CompileTest::compileReadsEveryControl()
{
    const auto form = StartForm();
    // The table names the field list and every task control of the classic
    // script but the value picker, whose text reaches the script through the
    // grid's cells.
    QStringList controls{"Memo1"};
    for (const char* name : kTaskControls)
        if (QString(name) != "ComboBox1")
            controls.append(name);
    QStringList placed;
    for (const Placed& place : kPlaces)
        placed.append(place.control);
    controls.sort();
    placed.sort();
    QCOMPARE(controls, placed);

    FillEveryControl(form.get());
    Compile(form.get());
    const scriptgen::Lines& script = form->ScriptBuffer();
    for (const Placed& place : kPlaces) {
        for (const QString& line : place.lines)
            QVERIFY2(std::find(script.begin(), script.end(), line.toStdString()) != script.end(),
                qPrintable(QString("%1: %2").arg(place.control, line)));
    }
}

void CompileTest::helpRecipesGiveTheirScripts()
{
    // The worked example of the help page, step by step.
    const char* const connection[][2] = {
        {"Edit1", "localhost"}, {"Edit2", "webuser"}, {"Edit3", "secret"}, {"Edit4", "shop"}};
    const auto form = StartForm();
    TypeLines(QApplication::focusWidget(), {"name", "email", "comments"});
    Click(form.get(), "CheckBox1");
    for (const auto& [box, text] : connection)
        TypeOver(form.get(), box, text);

    TickSwitch(form.get(), "EmailVariables1", "CheckBox2");
    TypeOver(form.get(), "Edit6", "you@example.com");
    TypeOver(form.get(), "Edit7", "Feedback");
    TypeOver(form.get(), "Edit8", "$email");
    auto* variables = Child<QListView>(form.get(), "CheckListBox1");
    for (int row = 0; row < 3; ++row) {
        ClickItem(variables, row);
        QTest::keyClick(variables, Qt::Key_Space);
    }
    TypeOver(form.get(), "LabeledEdit1", "thanks.html");
    TypeOver(form.get(), "LabeledEdit2", "sorry.html");

    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    TypeOver(form.get(), "Edit9", "feedback");
    TypeLines(Child<QWidget>(form.get(), "Memo2"), {"name", "email", "comments"});
    auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    const QStringList values{"$name", "$email", "$comments"};
    for (int row = 1; row <= 3; ++row) {
        ClickItem(grid, row, 1);
        QVERIFY(ChooseEntry(picker, values[row - 1]));
    }
    Compile(form.get());
    QCOMPARE(form->ScriptBuffer(), HelpListing("feedback-php"));

    // The second script, which makes the table.
    Trigger(form.get(), "NewScript1");
    TickSwitch(form.get(), "EmailVariables1", "CheckBox2");
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    Trigger(form.get(), "ScriptSetup1");
    for (const auto& [box, text] : connection)
        TypeOver(form.get(), box, text);
    TickSwitch(form.get(), "AlterDatabaseRecords1", "CheckBox6");
    TypeOver(form.get(), "Edit13", "feedback");
    TypeLines(Child<QWidget>(form.get(), "Memo6"), {"name", "email", "comments"});
    Compile(form.get());
    QCOMPARE(form->ScriptBuffer(), HelpListing("maketable-php"));
}

void CompileTest::longWrappedFieldNameStaysOneVariable()
{
    const auto form = StartForm();
    auto* memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    const QString name = QString("customer_delivery_address_").repeated(6);
    QTest::keyClicks(memo, name);
    QCoreApplication::processEvents();
    QVERIFY2(memo->document()->firstBlock().layout()->lineCount() > 1, "the name should wrap on screen");
    QCOMPARE(ListEntries(Child<QListView>(form.get(), "CheckListBox1")), QStringList{"$" + name});
    Compile(form.get());
    QCOMPARE(form->ScriptBuffer().size(), std::size_t{6});
    QCOMPARE(QString::fromStdString(form->ScriptBuffer()[2]), QString("$%1 = $_POST['%1'];").arg(name));
}

void CompileTest::pastedLineBreakBecomesSpace_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line feed") << "Edit2"
                               << "web\nuser"
                               << "web user";
    QTest::newRow("CR LF") << "Edit2"
                           << "web\r\nuser\r\n"
                           << "web user ";
    QTest::newRow("lone CR") << "Edit4"
                             << "a\rb"
                             << "a b";
    QTest::newRow("labelled edit") << "LabeledEdit1"
                                   << "http://x\n"
                                   << "http://http://x ";
    QTest::newRow("combo box") << "ComboBox2"
                               << "$a\n$b"
                               << "$a $b";
}

void CompileTest::pastedLineBreakBecomesSpace()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(QString, shown);
    const auto form = StartForm();
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox5"})
        Child<QCheckBox>(form.get(), name)->click();
    QWidget* widget = Child<QWidget>(form.get(), box.toLatin1().constData());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->lineEdit()->clear();
        widget = combo->lineEdit();
    }
    auto* edit = qobject_cast<QLineEdit*>(widget);
    QVERIFY(edit);
    if (box.startsWith("Edit"))
        edit->clear();
    edit->end(false);
    QApplication::clipboard()->setText(pasted);
    QTest::keySequence(edit, QKeySequence::Paste);
    QCOMPARE(edit->text(), shown);
}

QTEST_MAIN(CompileTest)
