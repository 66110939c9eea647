// What the window shows at start: its frame, every control with its name,
// bounds and default text, the fonts and colours, the tool bar and the menus
// (the File menu with its settings files), the focus order, and the settings
// applied when it first becomes active.
#include "layout_test.h"

#include "core/textrules.h"
#include "windowfixture.h"

#include "mainwindow/controlrow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>

#include <algorithm>

void LayoutTest::windowFrame()
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

void LayoutTest::defaultStateAfterStart()
{
    const auto form = StartForm();
    QCOMPARE(Child<QTabWidget>(form.get(), "PageControl1")->currentWidget()->objectName(), QString("TabSheet1"));
    for (const QString& name : GovernedControls())
        QVERIFY2(!Enabled(form.get(), name.toLatin1().constData()), qPrintable(name));
    QVERIFY(Enabled(form.get(), "Memo1"));
    for (const char* name :
        {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7"}) {
        QVERIFY2(Enabled(form.get(), name), name);
        QVERIFY2(!Child<QCheckBox>(form.get(), name)->isChecked(), name);
    }
    QCOMPARE(GridRows(form.get()), 2);
    // The grid's header is its own fixed first row, not a header of the view.
    const auto* grid = Child<QTableView>(form.get(), "StringGrid1");
    QVERIFY(grid->horizontalHeader()->isHidden());
    QVERIFY(grid->verticalHeader()->isHidden());
    QCOMPARE(Cell(form.get(), 0, 0), QString("Field"));
    QCOMPARE(Cell(form.get(), 0, 1), QString("Variable / Value"));
    QCOMPARE(Cell(form.get(), 1, 0), QString());
    QCOMPARE(Cell(form.get(), 1, 1), QString());
    QCOMPARE(form->Grid().fixedRowCount(), 1);
    QCOMPARE(form->Grid().currentRow(), 1);
    QCOMPARE(form->Grid().currentColumn(), 0);
    QVERIFY(!Child<QPlainTextEdit>(form.get(), "Memo5")->isVisible());
    QVERIFY(form->ScriptBuffer().empty());
    // The owner password is masked with an action that shows it; the MySQL
    // password box shows what is typed.
    QCOMPARE(Child<QLineEdit>(form.get(), "Edit15")->echoMode(), QLineEdit::Password);
    Child<QAction>(form.get(), "Edit15Show")->trigger();
    QCOMPARE(Child<QLineEdit>(form.get(), "Edit15")->echoMode(), QLineEdit::Normal);
    Child<QAction>(form.get(), "Edit15Show")->trigger();
    QCOMPARE(Child<QLineEdit>(form.get(), "Edit15")->echoMode(), QLineEdit::Password);
    QCOMPARE(Child<QLineEdit>(form.get(), "Edit3")->echoMode(), QLineEdit::Normal);
    QVERIFY(!form->findChild<QAction*>("Edit3Show"));
    QVERIFY(!form->ScriptCompiled());
    QCOMPARE(Child<QListView>(form.get(), "CheckListBox1")->model()->rowCount(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox1")->count(), 0);
    QCOMPARE(Child<QComboBox>(form.get(), "ComboBox2")->count(), 0);

    // Typing before any click goes into the field list.
    QTest::keyClicks(nullptr, "name");
    QCOMPARE(Text(form.get(), "Memo1"), QString("name"));
}

void LayoutTest::defaultTexts_data()
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

void LayoutTest::defaultTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const auto form = StartForm();
    QCOMPARE(Text(form.get(), name.toLatin1().constData()), text);
}

void LayoutTest::bounds_data()
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
    row("Button2", "GroupBox1", 360, 80, 89, 25);
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
    row("CheckBox8", "TabSheet1", 8, 360, 233, 17);
    row("Label24", "TabSheet1", 264, 362, 76, 13);
    row("Edit15", "TabSheet1", 344, 358, 169, 21);
    row("CheckBox2", "TabSheet2", 8, 8, 177, 17);
    row("GroupBox5", "TabSheet2", 8, 32, 497, 129);
    row("Label9", "GroupBox5", 8, 32, 82, 13);
    row("Edit6", "GroupBox5", 96, 24, 209, 21);
    row("Label10", "GroupBox5", 48, 64, 42, 13);
    row("Edit7", "GroupBox5", 96, 56, 209, 21);
    row("Label11", "GroupBox5", 64, 96, 26, 13);
    row("Edit8", "GroupBox5", 96, 88, 209, 21);
    row("Button3", "GroupBox5", 320, 86, 97, 25);
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
    row("CheckBox9", "TabSheet4", 336, 8, 169, 17);
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

void LayoutTest::everyRowMakesItsControl()
{
    const auto form = StartForm();
    for (const zestrel::PageLayout& page : zestrel::WindowLayout()) {
        for (const zestrel::ControlRow& row : page.rows) {
            const auto* widget = Child<QWidget>(form.get(), row.name);
            QCOMPARE(widget->geometry(), row.bounds);
            QCOMPARE(widget->parentWidget()->objectName(), QString::fromLatin1(row.parent ? row.parent : page.name));
            if (row.label)
                QCOMPARE(Child<QLabel>(form.get(), row.label)->text(), QString::fromUtf8(row.caption));
        }
    }
}

void LayoutTest::bounds()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    const auto form = StartForm();
    const auto* widget = Child<QWidget>(form.get(), name.toLatin1().constData());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(), rect);
}

void LayoutTest::captionsFitTheirBounds()
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
    for (const auto& [name, caption] : {std::pair{"Button1", "Read Form..."}, std::pair{"Button2", "Field Rules..."},
             std::pair{"Button3", "Mail Server..."}}) {
        const auto* button = Child<QPushButton>(form.get(), name);
        QCOMPARE(button->text(), QString(caption));
        // The mail server is for the mail: its button waits for the switch.
        QCOMPARE(button->isEnabled(), QString(name) != "Button3");
        QVERIFY(button->sizeHint().width() <= button->width());
    }
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

void LayoutTest::fontAndColours()
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

void LayoutTest::toolBar()
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
        // Flat buttons of a tool bar: a click does not take the focus from the box typed in.
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QVERIFY(!button->icon().isNull());
        QVERIFY(button->autoRaise());
        // A screen reader says what the button does, not a component name.
        const QString does =
            QAccessible::queryAccessibleInterface(const_cast<QToolButton*>(button))->text(QAccessible::Description);
        QVERIFY2(does.size() > 10 && !does.contains("Action1"), qPrintable(does));
    }
    auto* action = Child<QAction>(form.get(), "Action1");
    QCOMPARE(Child<QToolButton>(form.get(), "ToolButton2")->defaultAction(), action);
    for (const QAction* any : form->findChildren<QAction*>())
        QVERIFY2(any->shortcuts().isEmpty() || (any->parent() == form.get() && any->objectName().contains("Settings")),
            qPrintable(any->objectName()));
}

void LayoutTest::accessibleNames_data()
{
    tabOrder_data();
}

// Every control that takes the focus has a name a screen reader can say,
// its own within its page, and every button says what it does.
void LayoutTest::accessibleNames()
{
    QFETCH(int, index);
    const auto form = StartForm();
    QWidget* page = Child<QTabWidget>(form.get(), "PageControl1")->widget(index);
    QStringList names;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
        // A combo box's own parts and its popup list are spoken as the box.
        if (widget->focusPolicy() == Qt::NoFocus || qobject_cast<QComboBox*>(widget->parentWidget()) ||
            widget->window() != form.get())
            continue;
        const QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
        const QString name = spoken->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty() && !names.contains(name), qPrintable(widget->objectName() + ": " + name));
        names.append(name);
        if (qobject_cast<QPushButton*>(widget))
            QVERIFY2(spoken->text(QAccessible::Description).size() > 10, qPrintable(name));
    }
    QVERIFY(names.size() > 3);
}

void LayoutTest::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("File") << "File1"
                          << "File"
                          << QStringList{"NewScript1", "-", "OpenSettings1", "SaveSettings1", "SaveSettingsAs1",
                                 "RecentSettings1", "-", "Exit1"}
                          << QStringList{"New Script", "-", "Open Settings...", "Save Settings", "Save Settings As...",
                                 "Recent Settings", "-", "Exit"};
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

void LayoutTest::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, items);
    QFETCH(QStringList, captions);
    const auto form = StartForm();
    const auto* popup = Child<QMenu>(form.get(), menu.toLatin1().constData());
    QCOMPARE(StripAccelerator(popup->title()), title);
    // A separator stands as "-"; a submenu by its menu's name.
    QStringList names;
    QStringList shown;
    QSet<QChar> letters;
    int marked = 0;
    // The settings files take the desktop's usual keys; the other items none.
    const QHash<QString, QKeySequence> keys = {{"OpenSettings1", QKeySequence::Open},
        {"SaveSettings1", QKeySequence::Save}, {"SaveSettingsAs1", QKeySequence::SaveAs}};
    for (const QAction* action : popup->actions()) {
        QCOMPARE(action->shortcut(), keys.value(action->objectName()));
        if (action->isSeparator()) {
            names.append("-");
            shown.append("-");
            continue;
        }
        names.append(action->menu() ? action->menu()->objectName() : action->objectName());
        shown.append(StripAccelerator(action->text()));
        const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
        QVERIFY2(!mnemonic.isEmpty(), qPrintable(action->text()));
        letters.insert(QChar(mnemonic[0].key()).toLower());
        ++marked;
    }
    QCOMPARE(names, items);
    QCOMPARE(shown, captions);
    QCOMPARE(letters.size(), marked);
    // Save Script is reached from the tool bar only.
    QVERIFY(!shown.contains("Save Script"));
}

void LayoutTest::menusHaveDistinctAccelerators()
{
    const auto form = StartForm();
    QSet<QChar> letters;
    const QList<QAction*> menus = form->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    for (const QAction* menu : menus)
        letters.insert(QChar(QKeySequence::mnemonic(menu->text())[0].key()).toLower());
    QCOMPARE(letters.size(), 3);
}

void LayoutTest::tabOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("pageItem");
    const char* const items[] = {
        "ScriptSetup1", "EmailVariables1", "DatabaseRecords1", "ViewDatabaseRecords1", "AlterDatabaseRecords1"};
    for (int i = 0; i < 5; ++i)
        QTest::newRow(zestrel::WindowLayout()[i].title) << i << items[i];
}

// The focus goes through the controls of a page in the order of its rows.
void LayoutTest::tabOrder()
{
    QFETCH(int, index);
    QFETCH(QString, pageItem);
    const auto form = StartForm();
    for (const char* name :
        {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7", "CheckBox8"})
        Child<QCheckBox>(form.get(), name)->click();
    Trigger(form.get(), pageItem.toLatin1().constData());
    QStringList chain;
    for (const zestrel::ControlRow& row : zestrel::WindowLayout()[index].rows)
        if (row.kind != zestrel::ControlKind::Group && row.kind != zestrel::ControlKind::Label)
            chain.append(row.name);
    QVERIFY(chain.size() > 1);
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

void LayoutTest::realMessageBoxAndFirstActivationOnce()
{
    const auto form = StartForm();
    TickSwitch(form.get(), "ScriptSetup1", "CheckBox1");
    QVERIFY(Enabled(form.get(), "Edit1"));

    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    QString title, text, details, copied;
    QSize resized;
    QStringList buttons;
    QStringList toggles;
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
        auto* detailsButton = Child<QPushButton>(modal, "DetailsButton");
        auto* view = Child<QPlainTextEdit>(modal, "Details");
        // The button shows the details and hides them again, its caption saying which it does next.
        for (int click = 0; click < 3; ++click) {
            toggles.append(detailsButton->text() + (view->isVisible() ? " shown" : " hidden"));
            QTest::mouseClick(detailsButton, Qt::LeftButton);
        }
        toggles.append(detailsButton->text() + (view->isVisible() ? " shown" : " hidden"));
        details = view->isVisible() ? view->toPlainText() : QString();
        selectable = view->isReadOnly() && (view->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        QTest::keySequence(view, QKeySequence::SelectAll);
        QTest::keySequence(view, QKeySequence::Copy);
        copied = QApplication::clipboard()->text();
        // With its details the box can be made larger; it keeps that size.
        QApplication::clipboard()->clear();
        QTest::mouseClick(Child<QPushButton>(modal, "CopyButton"), Qt::LeftButton);
        copied += QApplication::clipboard()->text() == copied ? "" : " but not by the Copy button";
        modal->resize(modal->width() + 200, modal->height() + 100);
        resized = modal->size();
        QTest::mouseClick(buttonBox->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton2"), Qt::LeftButton);
    // A script with the database adds a note about what it needs.
    QVERIFY2(text.startsWith("Script Successfully compiled!\n\n"), qPrintable(text));
    QCOMPARE(title, zestrel::ApplicationTitle());
    QCOMPARE(toggles,
        QStringList(
            {"Show Details... hidden", "Hide Details... shown", "Show Details... hidden", "Hide Details... shown"}));
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
    // The next time the details come at that size, and save the script.
    QTemporaryDir dir;
    QSize size;
    OnNextModal([&](QWidget* modal) {
        QTest::mouseClick(Child<QPushButton>(modal, "DetailsButton"), Qt::LeftButton);
        size = modal->size();
        zestrel::SaveDialog::setNextFileName(dir.filePath("form.php"));
        QTest::mouseClick(Child<QPushButton>(modal, "SaveScriptButton"), Qt::LeftButton);
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton2"), Qt::LeftButton);
    QCOMPARE(size, resized);
    QCOMPARE(QString::fromUtf8(ReadAll(dir.filePath("form.php"))).replace("\r\n", "\n"), script + '\n');

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

void LayoutTest::shownWithoutActivationStillAppliesFirstSettings()
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
    for (const QString& name : GovernedControls())
        QVERIFY2(!Enabled(&form, name.toLatin1().constData()), qPrintable(name));
    QCOMPARE(form.Grid().cell(0, 0), QString("Field"));

    // Becoming active later does not run them a second time.
    TickSwitch(&form, "ScriptSetup1", "CheckBox1");
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(Enabled(&form, "Edit1"));
}

QTEST_MAIN(LayoutTest)
