// The main window driven the way a person uses it: what it shows at start,
// the field list feeding the pickers, the insert-mapping grid, the section
// switches, New Script, the page items and Compile Script.
#include "mainwindow_test.h"

#include "about/website.h"
#include "formdriver.h"
#include "help/helpwindow.h"
#include "mainwindow/textrules.h"
#include "mainwindow/widgets.h"
#include "scriptgen/compiler.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace {

// The 23 task controls, all disabled right after start.
const char* const kTaskControls[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit6", "Edit7", "Edit8", "CheckListBox1",
    "LabeledEdit1", "LabeledEdit2", "Edit9", "Memo2", "StringGrid1", "ComboBox1", "Edit10", "Memo3", "Edit11", "Memo4",
    "Edit12", "Edit13", "Edit14", "Memo6", "ComboBox2"};

QString Cell(QObject* form, int row, int column)
{
    const auto* grid = Child<QTableView>(form, "StringGrid1");
    return grid->model()->index(row, column).data().toString();
}

int GridRows(QObject* form)
{
    return Child<QTableView>(form, "StringGrid1")->model()->rowCount();
}

QString Text(QObject* form, const char* name)
{
    QObject* object = form->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(object))
        return memo->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return combo->currentText();
    qFatal("no text control named %s", name);
}

bool Enabled(QObject* form, const char* name)
{
    return Child<QWidget>(form, name)->isEnabled();
}

void Click(QObject* form, const char* name)
{
    QTest::mouseClick(Child<QWidget>(form, name), Qt::LeftButton);
}

// Brings a page to the front through its Edit menu item, ticks its switch
// and types lines into a list, as a person fills in a task.
void TickSwitch(QObject* form, const char* pageItem, const char* checkBox)
{
    Trigger(form, pageItem);
    Click(form, checkBox);
}

// Every box, list and cell of the window with a text of its own, and the
// lines of the script that must hold it. A list's lines are separated by
// "\n"; for the check list they are the entries to tick, for the grid the
// value of each row, an entry of the picker's list where it begins with "$".
struct Placed {
    const char* control;
    const char* text;
    QStringList lines;
};

const QString kConnect = "mysql_connect(\"h1\", \"u2\", \"p3\") or die(mysql_error());";
const QString kMail = "if(mail('r6','s7',\"\\$fb: $fb\\n\",\"From:f8\\r\\nReply-to:f8\"))";
const QString kInsert =
    "mysql_query(\"INSERT INTO t9 (c1, c2) VALUES ('$fa', 'v2')\")or die(\"Insert Error: \".mysql_error());";
const QString kSelectError = "\" ) or die(\"SELECT Error: \".mysql_error());";
const QString kSelectWhere = "$result = mysql_query( \"SELECT * FROM t11 WHERE w12=$fb" + kSelectError;

const Placed kPlaces[] = {
    {"Memo1", "fa\nfb", {"$fa = $_POST['fa'];", "$fb = $_POST['fb'];"}},
    {"Edit1", "h1", {kConnect}},
    {"Edit2", "u2", {kConnect}},
    {"Edit3", "p3", {kConnect}},
    {"Edit4", "d4", {"mysql_select_db(\"d4\") or die(mysql_error());"}},
    {"Edit6", "r6", {kMail}},
    {"Edit7", "s7", {kMail}},
    {"Edit8", "f8", {kMail}},
    {"CheckListBox1", "$fb", {kMail}},
    {"LabeledEdit1", "ok.html", {"echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=ok.html'></HEAD></HTML>\";"}},
    {"LabeledEdit2", "no.html", {"echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=no.html'></HEAD></HTML>\";"}},
    {"Edit9", "t9", {kInsert}},
    {"Memo2", "c1\nc2", {kInsert}},
    {"StringGrid1", "$fa\nv2", {kInsert}},
    {"Edit10", "t10", {"$result = mysql_query( \"SELECT * FROM t10" + kSelectError}},
    {"Memo3", "a3", {"$a3 = $row['a3'];", "<td>$a3</td>"}},
    {"Edit11", "t11", {kSelectWhere}},
    {"Edit12", "w12", {kSelectWhere}},
    {"ComboBox2", "$fb", {kSelectWhere}},
    {"Memo4", "a4", {"$a4 = $row['a4'];", "<td>$a4</td>"}},
    {"Edit13", "t13", {"$create_query = \"CREATE TABLE t13 ("}},
    {"Memo6", "n6", {"n6 VARCHAR(225),"}},
    {"Edit14", "t14", {"$drop_query = \"DROP TABLE t14\";"}},
};

// Whether the screen shows what the widget would paint now, that is, it was
// repainted after every change.
bool ScreenIsUpToDate(QWidget* widget)
{
    QCoreApplication::processEvents();
    QWidget* window = widget->window();
    const qreal ratio = window->devicePixelRatio();
    const QImage screen = window->screen()
                              ->grabWindow(window->winId())
                              .toImage()
                              .copy(QRect(widget->mapTo(window, QPoint(0, 0)) * ratio, widget->size() * ratio));
    return screen.convertToFormat(QImage::Format_RGB32) ==
        widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Ticks every switch and puts each text of kPlaces into its control, as a
// person types, picks and ticks.
void FillEveryControl(QObject* form)
{
    const char* const switches[][2] = {{"ScriptSetup1", "CheckBox1"}, {"EmailVariables1", "CheckBox2"},
        {"DatabaseRecords1", "CheckBox3"}, {"ViewDatabaseRecords1", "CheckBox4"}, {"ViewDatabaseRecords1", "CheckBox5"},
        {"AlterDatabaseRecords1", "CheckBox6"}, {"AlterDatabaseRecords1", "CheckBox7"}};
    for (const auto& [page, checkBox] : switches)
        TickSwitch(form, page, checkBox);
    auto* picker = Child<QComboBox>(form, "ComboBox1");
    for (const Placed& place : kPlaces) {
        QWidget* control = Child<QWidget>(form, place.control);
        control->window()->findChild<QTabWidget*>()->setCurrentWidget(control->parentWidget()->parentWidget());
        const QStringList lines = QString(place.text).split('\n');
        if (auto* list = qobject_cast<QListView*>(control)) {
            for (const QString& entry : lines) {
                ClickItem(list, static_cast<int>(ListEntries(list).indexOf(entry)));
                QTest::keyClick(list, Qt::Key_Space);
            }
        } else if (auto* grid = qobject_cast<QTableView*>(control)) {
            for (int row = 1; row <= lines.size(); ++row) {
                ClickItem(grid, row, 1);
                // The click is painted before the value is typed, as on screen.
                QCoreApplication::processEvents();
                QTest::keySequence(picker, QKeySequence::SelectAll);
                if (!lines[row - 1].startsWith('$') || !ChooseEntry(picker, lines[row - 1]))
                    QTest::keyClicks(picker, lines[row - 1]);
            }
            // The picked values are shown, not only stored.
            QVERIFY(ScreenIsUpToDate(grid->viewport()));
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            QVERIFY(ChooseEntry(combo, place.text));
        } else {
            SelectAllAndDelete(control);
            TypeLines(control, lines);
        }
    }
}

// What a control shows, in one text: its text, the entries of its list,
// ticks, the rows of the grid, "(disabled)" when greyed.
QString Contents(QObject* form, const char* name)
{
    QWidget* control = Child<QWidget>(form, name);
    QString shown;
    if (auto* check = qobject_cast<QCheckBox*>(control)) {
        shown = check->isChecked() ? "ticked" : "unticked";
    } else if (auto* pages = qobject_cast<QTabWidget*>(control)) {
        shown = pages->currentWidget()->objectName();
    } else if (auto* grid = qobject_cast<QTableView*>(control)) {
        QStringList rows;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            rows.append(Cell(form, row, 0) + "|" + Cell(form, row, 1));
        shown = rows.join(';');
    } else if (auto* list = qobject_cast<QListView*>(control)) {
        QStringList entries;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex entry = list->model()->index(row, 0);
            entries.append((entry.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked ? "+" : "") +
                entry.data().toString());
        }
        shown = "[" + entries.join(',') + "]";
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        shown = combo->currentText() + "[" + ComboEntries(combo).join(',') + "]";
    } else {
        shown = Text(form, name);
    }
    return control->isEnabled() ? shown : shown + " (disabled)";
}

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

// Selects a box's text and types over it.
void TypeOver(QObject* form, const char* name, const QString& text)
{
    auto* box = Child<QWidget>(form, name);
    QTest::keySequence(box, QKeySequence::SelectAll);
    QTest::keyClicks(box, text);
}

} // namespace

void MainWindowTest::cleanup()
{
    QVERIFY2(NoAnswersLeft(), "a box or dialog the test answered in advance never opened");
    zestrel::MessageBoxes::takeShown();
    zestrel::SaveDialog::takeOpenedWith();
}

void MainWindowTest::windowFrame()
{
    const auto form = StartForm();
    QCOMPARE(form->objectName(), QString("Form1"));
    QCOMPARE(form->windowTitle(), QString("Zestrel PHP Script Creator"));
    QCOMPARE(form->centralWidget()->size(), QSize(537, 441));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->height(), 441 + form->menuBar()->height());
    QCOMPARE(form->pos(), QPoint(141, 53));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(form->windowFlags() & Qt::WindowSystemMenuHint);
}

void MainWindowTest::defaultStateAfterStart()
{
    const auto form = StartForm();
    QCOMPARE(Child<QTabWidget>(form.get(), "PageControl1")->currentWidget()->objectName(), QString("TabSheet1"));
    for (const char* name : kTaskControls)
        QVERIFY2(!Enabled(form.get(), name), name);
    QVERIFY(Enabled(form.get(), "Memo1"));
    for (const char* name :
        {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"}) {
        QVERIFY2(Enabled(form.get(), name), name);
        QVERIFY2(!Child<QCheckBox>(form.get(), name)->isChecked(), name);
    }
    QCOMPARE(GridRows(form.get()), 2);
    QCOMPARE(Cell(form.get(), 0, 0), QString("Field"));
    QCOMPARE(Cell(form.get(), 0, 1), QString("Variable / Value"));
    QCOMPARE(Cell(form.get(), 1, 0), QString());
    QCOMPARE(Cell(form.get(), 1, 1), QString());
    QCOMPARE(form->Grid().fixedRowCount(), 1);
    QCOMPARE(form->Grid().currentRow(), 1);
    QCOMPARE(form->Grid().currentColumn(), 0);
    QVERIFY(!Child<QPlainTextEdit>(form.get(), "Memo5")->isVisible());
    QVERIFY(form->ScriptBuffer().empty());
    QVERIFY(!form->ScriptCompiled());
    QCOMPARE(Child<QListView>(form.get(), "CheckListBox1")->model()->rowCount(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox1")->count(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox2")->count(), 0);

    // Typing before any click goes into the field list.
    QTest::keyClicks(nullptr, "name");
    QCOMPARE(Text(form.get(), "Memo1"), QString("name"));
}

void MainWindowTest::defaultTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("host") << "Edit1"
                          << "localhost";
    QTest::newRow("recipient") << "Edit6"
                               << "you@example.com";
    QTest::newRow("success page") << "LabeledEdit1"
                                  << "http://";
    QTest::newRow("failure page") << "LabeledEdit2"
                                  << "http://";
    QTest::newRow("value picker") << "ComboBox1"
                                  << "Value";
    QTest::newRow("where field") << "Edit12"
                                 << "Enter Field's Name";
    QTest::newRow("where value") << "ComboBox2"
                                 << "Enter / Select Value";
    for (const char* empty : {"Memo1", "Edit2", "Edit3", "Edit4", "Edit7", "Edit8", "Edit9", "Memo2", "Edit10", "Memo3",
             "Edit11", "Memo4", "Edit13", "Memo6", "Edit14"})
        QTest::newRow(empty) << empty << "";
}

void MainWindowTest::defaultTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const auto form = StartForm();
    QCOMPARE(Text(form.get(), name.toLatin1().constData()), text);
}

void MainWindowTest::bounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    const auto row = [](const char* name, const char* container, int x, int y, int w, int h) {
        QTest::newRow(name) << name << container << QRect(x, y, w, h);
    };
    row("ToolBar3", "ClientArea", 0, 0, 513, 33);
    row("PageControl1", "ClientArea", 0, 32, 537, 409);
    row("Memo5", "ClientArea", 0, 424, 537, 9);
    row("GroupBox1", "TabSheet1", 8, 16, 513, 153);
    row("Label1", "GroupBox1", 24, 24, 42, 13);
    row("Label2", "GroupBox1", 72, 24, 248, 13);
    row("Label3", "GroupBox1", 328, 24, 50, 13);
    row("Label4", "GroupBox1", 384, 24, 78, 13);
    row("Memo1", "GroupBox1", 24, 48, 321, 81);
    row("Button1", "GroupBox1", 360, 48, 89, 25);
    row("CheckBox1", "TabSheet1", 8, 192, 137, 17);
    row("GroupBox3", "TabSheet1", 8, 224, 513, 57);
    row("Label5", "GroupBox3", 8, 32, 25, 13);
    row("Edit1", "GroupBox3", 40, 24, 89, 21);
    row("Label6", "GroupBox3", 144, 32, 51, 13);
    row("Edit2", "GroupBox3", 200, 24, 121, 21);
    row("Label7", "GroupBox3", 328, 32, 49, 13);
    row("Edit3", "GroupBox3", 384, 24, 121, 21);
    row("GroupBox2", "TabSheet1", 8, 296, 513, 57);
    row("Label8", "GroupBox2", 136, 32, 80, 13);
    row("Edit4", "GroupBox2", 224, 24, 145, 21);
    row("CheckBox2", "TabSheet2", 8, 8, 177, 17);
    row("GroupBox5", "TabSheet2", 8, 32, 497, 129);
    row("Label9", "GroupBox5", 8, 32, 82, 13);
    row("Edit6", "GroupBox5", 96, 24, 209, 21);
    row("Label10", "GroupBox5", 48, 64, 42, 13);
    row("Edit7", "GroupBox5", 96, 56, 209, 21);
    row("Label11", "GroupBox5", 64, 96, 26, 13);
    row("Edit8", "GroupBox5", 96, 88, 209, 21);
    row("GroupBox4", "TabSheet2", 8, 168, 497, 129);
    row("CheckListBox1", "GroupBox4", 8, 24, 401, 97);
    row("GroupBox6", "TabSheet2", 8, 304, 497, 65);
    row("LabeledEdit1", "GroupBox6", 8, 32, 225, 21);
    row("LabeledEdit2", "GroupBox6", 248, 32, 241, 21);
    row("CheckBox3", "TabSheet3", 8, 8, 145, 17);
    row("GroupBox7", "TabSheet3", 8, 32, 505, 281);
    row("Label12", "GroupBox7", 8, 32, 79, 13);
    row("Edit9", "GroupBox7", 104, 24, 273, 21);
    row("Label13", "GroupBox7", 24, 80, 60, 13);
    row("Memo2", "GroupBox7", 104, 56, 273, 65);
    row("StringGrid1", "GroupBox7", 8, 136, 489, 97);
    row("Label14", "GroupBox7", 8, 256, 79, 13);
    row("ComboBox1", "GroupBox7", 104, 248, 177, 21);
    row("CheckBox4", "TabSheet4", 8, 8, 145, 17);
    row("GroupBox8", "TabSheet4", 8, 32, 505, 137);
    row("Label15", "GroupBox8", 8, 32, 90, 13);
    row("Edit10", "GroupBox8", 112, 24, 217, 21);
    row("Label16", "GroupBox8", 16, 80, 77, 13);
    row("Memo3", "GroupBox8", 112, 56, 217, 73);
    row("CheckBox5", "TabSheet4", 8, 176, 161, 17);
    row("GroupBox9", "TabSheet4", 8, 200, 505, 177);
    row("Label17", "GroupBox9", 16, 32, 90, 13);
    row("Edit11", "GroupBox9", 120, 24, 217, 21);
    row("Label18", "GroupBox9", 48, 64, 60, 13);
    row("Edit12", "GroupBox9", 120, 56, 121, 21);
    row("Label19", "GroupBox9", 248, 56, 6, 13);
    row("ComboBox2", "GroupBox9", 264, 56, 145, 21);
    row("Label20", "GroupBox9", 24, 112, 83, 13);
    row("Memo4", "GroupBox9", 120, 88, 217, 73);
    row("CheckBox6", "TabSheet5", 8, 8, 161, 17);
    row("GroupBox10", "TabSheet5", 8, 40, 513, 169);
    row("Label21", "GroupBox10", 16, 32, 59, 13);
    row("Edit13", "GroupBox10", 88, 24, 209, 21);
    row("Label22", "GroupBox10", 48, 104, 30, 13);
    row("Memo6", "GroupBox10", 88, 64, 209, 89);
    row("CheckBox7", "TabSheet5", 8, 224, 153, 17);
    row("GroupBox11", "TabSheet5", 8, 256, 513, 57);
    row("Label23", "GroupBox11", 120, 32, 61, 13);
    row("Edit14", "GroupBox11", 192, 24, 185, 21);
}

void MainWindowTest::bounds()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    const auto form = StartForm();
    const auto* widget = Child<QWidget>(form.get(), name.toLatin1().constData());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), rect);
}

void MainWindowTest::captionsFitTheirBounds()
{
    const auto form = StartForm();
    for (const QLabel* label : form->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
        QVERIFY2(metrics.tightBoundingRect(label->text()).height() <= label->height(), qPrintable(label->text()));
    }
    for (const QCheckBox* box : form->findChildren<QCheckBox*>())
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
    for (const QGroupBox* group : form->findChildren<QGroupBox*>())
        QVERIFY2(group->minimumSizeHint().width() <= group->width(), qPrintable(group->title()));
    const auto* readForm = Child<QPushButton>(form.get(), "Button1");
    QCOMPARE(readForm->text(), QString("Read Form..."));
    QVERIFY(readForm->isEnabled());
    QVERIFY(readForm->sizeHint().width() <= readForm->width());
    for (const QToolButton* button : form->findChildren<QToolButton*>()) {
        if (button->parentWidget()->objectName() == "ToolBar3")
            QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
    }
    const QTabBar* tabs = Child<QTabWidget>(form.get(), "PageControl1")->tabBar();
    QVERIFY(tabs->tabRect(tabs->count() - 1).right() < tabs->width());
    // The mail list's check boxes fit its 13-pixel rows, a pixel to spare
    // above and below, so that neighbouring boxes do not run together.
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    const auto* list = Child<QListView>(form.get(), "CheckListBox1");
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 13);
    QVERIFY(list->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, list) <= 13 - 2);
    QCOMPARE(tabs->tabText(0), QString("Script Setup"));
    QCOMPARE(tabs->tabText(4), QString("Alter Database Tables"));
}

void MainWindowTest::fontAndColours()
{
    const auto form = StartForm();
    QCOMPARE(form->font().pointSize(), 8);
    QVERIFY(!QFontInfo(form->font()).fixedPitch());
    const QColor maroon(0x80, 0, 0);
    for (const char* name : {"Label2", "Label4"})
        QCOMPARE(Child<QLabel>(form.get(), name)->palette().color(QPalette::WindowText), maroon);
    QVERIFY(Child<QLabel>(form.get(), "Label4")->font().bold());
    QVERIFY(!Child<QLabel>(form.get(), "Label2")->font().bold());
    QCOMPARE(
        Child<QLabel>(form.get(), "Label2")->text(), QString("<input name=\"FIELD_NAME\" type=\"text\" value=\"\">"));
    QCOMPARE(Child<QLabel>(form.get(), "Label10")->text(), QString(" Subject:"));
    for (const QAction* menu : form->menuBar()->actions())
        QCOMPARE(menu->menu()->font(), form->font());
}

void MainWindowTest::toolBar()
{
    const auto form = StartForm();
    const struct {
        const char* name;
        int left;
        int width;
        const char* caption;
    } buttons[] = {{"ToolButton2", 0, 97, "Compile Script "}, {"ToolButton3", 97, 97, "Save Script"},
        {"ToolButton4", 194, 8, nullptr}, {"ToolButton5", 202, 97, "Help"}, {"ToolButton6", 299, 97, "Online"}};
    for (const auto& expected : buttons) {
        const auto* widget = Child<QWidget>(form.get(), expected.name);
        QCOMPARE(widget->x(), expected.left);
        QCOMPARE(widget->width(), expected.width);
        if (!expected.caption)
            continue;
        const auto* button = qobject_cast<const QToolButton*>(widget);
        QVERIFY(button);
        QCOMPARE(button->text(), QString(expected.caption));
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QVERIFY(!button->icon().isNull());
        QVERIFY(button->autoRaise());
    }
    auto* action = Child<QAction>(form.get(), "Action1");
    QCOMPARE(Child<QToolButton>(form.get(), "ToolButton2")->defaultAction(), action);
    for (const QAction* any : form->findChildren<QAction*>())
        QVERIFY2(any->shortcuts().isEmpty(), qPrintable(any->objectName()));
}

void MainWindowTest::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("File") << "File1"
                          << "File" << QStringList{"NewScript1", "Exit1"} << QStringList{"New Script", "Exit"};
    QTest::newRow("Edit") << "Edit5"
                          << "Edit"
                          << QStringList{"CompileScript1", "ScriptSetup1", "EmailVariables1", "DatabaseRecords1",
                                 "ViewDatabaseRecords1", "AlterDatabaseRecords1"}
                          << QStringList{"Compile Script ", "Script Setup", "Email Variables", "Database Records",
                                 "View Database Records", "Alter Database Records"};
    QTest::newRow("Help") << "Help1"
                          << "Help" << QStringList{"HelpContents1", "VORTEQOnline1", "About1"}
                          << QStringList{"Help Contents", "VORTEQ Online", "About"};
}

void MainWindowTest::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    const auto form = StartForm();
    const auto* popup = Child<QMenu>(form.get(), menu.toLatin1().constData());
    QCOMPARE(StripAccelerator(popup->title()), title);
    const QList<QAction*> actions = popup->actions();
    QCOMPARE(actions.size(), items.size());
    QSet<QChar> letters;
    for (qsizetype i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), items[i]);
        QCOMPARE(StripAccelerator(actions[i]->text()), captions[i]);
        const QKeySequence mnemonic = QKeySequence::mnemonic(actions[i]->text());
        QVERIFY2(!mnemonic.isEmpty(), qPrintable(captions[i]));
        letters.insert(QChar(mnemonic[0].key()).toLower());
        QVERIFY(actions[i]->shortcut().isEmpty());
    }
    QCOMPARE(letters.size(), actions.size());
    for (const QAction* action : actions)
        QVERIFY(!StripAccelerator(action->text()).contains("Save"));
}

void MainWindowTest::menusHaveDistinctAccelerators()
{
    const auto form = StartForm();
    QSet<QChar> letters;
    const QList<QAction*> menus = form->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    for (const QAction* menu : menus)
        letters.insert(QChar(QKeySequence::mnemonic(menu->text())[0].key()).toLower());
    QCOMPARE(letters.size(), 3);
}

void MainWindowTest::tabOrder_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("Script Setup") << "ScriptSetup1"
                                  << QStringList{"Memo1", "Button1", "Edit4", "Edit1", "Edit2", "Edit3", "CheckBox1"};
    QTest::newRow("Email Variables") << "EmailVariables1"
                                     << QStringList{"CheckListBox1", "Edit6", "Edit7", "Edit8", "LabeledEdit1",
                                            "LabeledEdit2", "CheckBox2"};
    QTest::newRow("Database Records") << "DatabaseRecords1"
                                      << QStringList{"Edit9", "Memo2", "StringGrid1", "ComboBox1", "CheckBox3"};
    QTest::newRow("View Database Records")
        << "ViewDatabaseRecords1"
        << QStringList{"Edit10", "Memo3", "Edit11", "Edit12", "ComboBox2", "Memo4", "CheckBox4", "CheckBox5"};
    QTest::newRow("Alter Database Tables")
        << "AlterDatabaseRecords1" << QStringList{"Edit13", "Memo6", "CheckBox6", "CheckBox7", "Edit14"};
}

void MainWindowTest::tabOrder()
{
    QFETCH(QString, page);
    QFETCH(QStringList, chain);
    const auto form = StartForm();
    for (const char* name : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"})
        Child<QCheckBox>(form.get(), name)->click();
    Trigger(form.get(), page.toLatin1().constData());
    Child<QWidget>(form.get(), chain.first().toLatin1().constData())->setFocus();
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused);
        const QWidget* expected = Child<QWidget>(form.get(), chain[i].toLatin1().constData());
        QVERIFY2(focused == expected || expected->isAncestorOf(focused),
            qPrintable(chain[i] + " expected, focus is on " + focused->objectName()));
    }
}

void MainWindowTest::realMessageBoxAndFirstActivationOnce()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "ScriptSetup1", "CheckBox1");
    QVERIFY(Enabled(form.get(), "Edit1"));

    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    QString title, text, details, copied;
    QStringList buttons;
    bool pictures = true;
    bool selectable = false;
    QFont font;
    OnNextModal([&](QWidget* modal) {
        title = modal->windowTitle();
        text = Child<QLabel>(modal, "Text")->text();
        font = modal->font();
        pictures = false;
        for (const QLabel* label : modal->findChildren<QLabel*>())
            pictures = pictures || !label->pixmap().isNull();
        auto* buttonBox = modal->findChild<QDialogButtonBox*>();
        for (const QAbstractButton* button : buttonBox->buttons())
            buttons.append(StripAccelerator(button->text()));
        QTest::mouseClick(Child<QPushButton>(modal, "DetailsButton"), Qt::LeftButton);
        auto* view = Child<QPlainTextEdit>(modal, "Details");
        details = view->isVisible() ? view->toPlainText() : QString();
        selectable = view->isReadOnly() && (view->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QTest::keySequence(view, QKeySequence::SelectAll);
        QTest::keySequence(view, QKeySequence::Copy);
        copied = QApplication::clipboard()->text();
        QTest::mouseClick(buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton2"), Qt::LeftButton);
    QCOMPARE(text, QString("Script Successfully compiled!"));
    QCOMPARE(title, zestrel::ApplicationTitle());
    QVERIFY(!pictures);
    QCOMPARE(buttons, QStringList({"OK", "Show Details..."}));
    QCOMPARE(font, form->font());
    // The details show the compiled script, read-only, to select and copy.
    QString script;
    for (const std::string& line : form->ScriptBuffer())
        script += QString::fromStdString(line) + '\n';
    script.chop(1);
    QVERIFY(script.contains("$email = $_POST['email'];"));
    QCOMPARE(details, script);
    QVERIFY(selectable);
    QCOMPARE(copied, script);
    QVERIFY(form->ScriptCompiled());

    // Focus leaves for another window and comes back: the first-activation
    // settings must not run again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QVERIFY(Enabled(form.get(), "Edit1"));
    QVERIFY(Enabled(form.get(), "Edit4"));
}

void MainWindowTest::shownWithoutActivationStillAppliesFirstSettings()
{
    // A window shown but never made active (no window manager, focus
    // stealing prevention) must not offer enabled task controls whose
    // switches are unticked: a click could otherwise land before activation.
    // Checked right after show(), before the platform's activation has been
    // delivered.
    TForm1 form;
    form.setAttribute(Qt::WA_ShowWithoutActivating);
    form.show();
    QVERIFY(!form.isActiveWindow());
    for (const char* name : kTaskControls)
        QVERIFY2(!Enabled(&form, name), name);
    QCOMPARE(form.Grid().cell(0, 0), QString("Field"));

    // Becoming active later does not run them a second time.
    TickSwitch(&form, "ScriptSetup1", "CheckBox1");
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(Enabled(&form, "Edit1"));
}

void MainWindowTest::propagation_data()
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

void MainWindowTest::propagation()
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

void MainWindowTest::retypingUnticksMailVariables()
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

void MainWindowTest::emptyingFieldListEmptiesLists()
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

void MainWindowTest::gridRowsFollowTableFields()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    TypeLines(Child<QWidget>(form.get(), "Memo2"), {"id", "name", "email"});
    QCOMPARE(GridRows(form.get()), 4);
    const QStringList fields{"id", "name", "email"};
    for (int row = 1; row <= 3; ++row) {
        QCOMPARE(Cell(form.get(), row, 0), fields[row - 1]);
        QCOMPARE(Cell(form.get(), row, 1), QString());
    }
    QCOMPARE(Cell(form.get(), 0, 0), QString("Field"));
}

void MainWindowTest::pickerFillsValueCells()
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

void MainWindowTest::choosingFromTheList_data()
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

void MainWindowTest::choosingFromTheList()
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

void MainWindowTest::freshlyTickedPickerWritesRowOne()
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

void MainWindowTest::renamedFieldKeepsItsValue()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* memo = Child<QWidget>(form.get(), "Memo2");
    TypeLines(memo, {"id", "name", "email"});
    ClickItem(Child<QTableView>(form.get(), "StringGrid1"), 2, 1);
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    QTest::keySequence(picker, QKeySequence::SelectAll);
    QTest::keyClicks(picker, "$n");
    SelectAllAndDelete(memo);
    TypeLines(memo, {"id", "fullname", "email"});
    QCOMPARE(Cell(form.get(), 2, 0), QString("fullname"));
    QCOMPARE(Cell(form.get(), 2, 1), QString("$n"));
}

void MainWindowTest::hiddenRowComesBackWithItsValue()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    auto* memo = Child<QWidget>(form.get(), "Memo2");
    TypeLines(memo, {"a", "b", "c"});
    ClickItem(Child<QTableView>(form.get(), "StringGrid1"), 3, 1);
    auto* picker = Child<QComboBox>(form.get(), "ComboBox1");
    QTest::keySequence(picker, QKeySequence::SelectAll);
    QTest::keyClicks(picker, "$c");
    QTest::keyClick(memo, Qt::Key_Backspace);
    QTest::keyClick(memo, Qt::Key_Backspace);
    QCOMPARE(GridRows(form.get()), 3);
    QCOMPARE(form->CurrentSettings().insertValues, scriptgen::Lines({"", ""}));
    TypeLines(memo, {"", "c"});
    QCOMPARE(GridRows(form.get()), 4);
    QCOMPARE(Cell(form.get(), 3, 0), QString("c"));
    QCOMPARE(Cell(form.get(), 3, 1), QString("$c"));
}

void MainWindowTest::emptiedListLosesHeaderRow()
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

void MainWindowTest::headerRowCannotBeSelected()
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

void MainWindowTest::switches_data()
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

void MainWindowTest::switches()
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
    const scriptgen::ScriptSettings before = form->CurrentSettings();
    Click(form.get(), checkBox.toLatin1().constData());
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

void MainWindowTest::pickerEnabledAgainByItsSwitch()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    ClickItem(Child<QTableView>(form.get(), "StringGrid1"), 1, 0);
    QVERIFY(!Enabled(form.get(), "ComboBox1"));
    Click(form.get(), "CheckBox3");
    Click(form.get(), "CheckBox3");
    QVERIFY(Enabled(form.get(), "ComboBox1"));
}

void MainWindowTest::newScriptOnFreshWindow()
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

void MainWindowTest::newScriptKeepsValuesAndSwitches()
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

void MainWindowTest::newScriptEmptiesEveryControl()
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

void MainWindowTest::pageItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Script Setup") << "ScriptSetup1"
                                  << "TabSheet1"
                                  << "Script Setup";
    QTest::newRow("Email Variables") << "EmailVariables1"
                                     << "TabSheet2"
                                     << "Email Variables";
    QTest::newRow("Database Records") << "DatabaseRecords1"
                                      << "TabSheet3"
                                      << "Database Records";
    QTest::newRow("View Database Records") << "ViewDatabaseRecords1"
                                           << "TabSheet4"
                                           << "View Database Records";
    QTest::newRow("Alter Database Records") << "AlterDatabaseRecords1"
                                            << "TabSheet5"
                                            << "Alter Database Tables";
}

void MainWindowTest::pageItems()
{
    QFETCH(QString, item);
    QFETCH(QString, page);
    QFETCH(QString, caption);
    const auto form = StartForm();
    auto* pages = Child<QTabWidget>(form.get(), "PageControl1");
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    for (int repeat = 0; repeat < 2; ++repeat) {
        Trigger(form.get(), item.toLatin1().constData());
        QCOMPARE(pages->currentWidget()->objectName(), page);
        QCOMPARE(pages->tabText(pages->currentIndex()), caption);
    }
    QCOMPARE(Text(form.get(), "Memo1"), QString("name"));
    QVERIFY(!form->ScriptCompiled());
}

void MainWindowTest::exitClosesWindow()
{
    const auto form = StartForm();
    Compile(form.get());
    Trigger(form.get(), "Exit1");
    QVERIFY(!form->isVisible());
}

void MainWindowTest::helpAndAboutOpenModally_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::newRow("Help tool button") << "ToolButton5"
                                      << "TFormHelp";
    QTest::newRow("Help Contents") << "HelpContents1"
                                   << "TFormHelp";
    QTest::newRow("About") << "About1"
                           << "TFormAbout";
}

void MainWindowTest::helpAndAboutOpenModally()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    const auto form = StartForm();
    TickSwitch(form.get(), "ScriptSetup1", "CheckBox1");
    QString opened;
    QString family;
    OnNextModal([&](QWidget* modal) {
        opened = QString::fromLatin1(modal->metaObject()->className());
        family = modal->font().family();
        modal->close();
    });
    QObject* sender = form->findChild<QObject*>(command);
    if (auto* button = qobject_cast<QToolButton*>(sender))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        Trigger(form.get(), command.toLatin1().constData());
    QCOMPARE(opened, window);
    // The About window's labels use the main window's dialog font (the help
    // page brings its own fonts).
    if (window == "TFormAbout")
        QCOMPARE(family, form->font().family());
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    // Closing the modal window does not run the first-activation settings.
    QVERIFY(Enabled(form.get(), "Edit1"));
}

void MainWindowTest::onlineOpensTheWebSite_data()
{
    QTest::addColumn<bool>("browser");
    QTest::newRow("a browser takes the address") << true;
    QTest::newRow("no browser: the address is shown") << false;
}

void MainWindowTest::onlineOpensTheWebSite()
{
    QFETCH(bool, browser);
    const auto form = StartForm();
    QList<QUrl> opened;
    const UrlOpener previous = SetUrlOpener([&opened, browser](const QUrl& url) {
        opened.append(url);
        return browser;
    });
    if (!browser) {
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    }
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton6"), Qt::LeftButton);
    Trigger(form.get(), "VORTEQOnline1");
    SetUrlOpener(previous);
    QCOMPARE(opened, QList<QUrl>({QUrl(WebSiteAddress()), QUrl(WebSiteAddress())}));
    const QList<zestrel::MessageBoxes::Shown> shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), browser ? 0 : 2);
    for (const zestrel::MessageBoxes::Shown& box : shown) {
        QCOMPARE(box.kind, zestrel::MessageBoxes::Kind::Warning);
        QVERIFY2(box.text.endsWith("\n" + WebSiteAddress()), qPrintable(box.text));
    }
}

void MainWindowTest::compileDefaultWindow()
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

void MainWindowTest::compileTypedFieldList()
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

void MainWindowTest::compileReadsEveryControl()
{
    const auto form = StartForm();
    // The table names every box, list and cell of the window but the hidden
    // buffer and the value picker, whose text reaches the script through the
    // grid's cells.
    QStringList controls;
    for (const QWidget* widget : form->findChildren<QWidget*>()) {
        const bool holdsText = qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
            qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractItemView*>(widget);
        const QString name = widget->objectName();
        if (holdsText && !name.isEmpty() && !name.startsWith("qt_") && name != "Memo5" && name != "ComboBox1")
            controls.append(name);
    }
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

void MainWindowTest::helpRecipesGiveTheirScripts()
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

void MainWindowTest::longWrappedFieldNameStaysOneVariable()
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

void MainWindowTest::pastedLineBreakBecomesSpace_data()
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

void MainWindowTest::pastedLineBreakBecomesSpace()
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

QTEST_MAIN(MainWindowTest)
