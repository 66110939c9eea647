// The commands that change no setting: the page items of the Edit menu,
// Exit, Help, About and Online.
#include "commands_test.h"

#include "about/website.h"
#include "help/helpwindow.h"
#include "windowfixture.h"

#include <QApplication>
#include <QUrl>

void CommandsTest::pageItems_data()
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

void CommandsTest::pageItems()
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

void CommandsTest::exitClosesWindow()
{
    const auto form = StartForm();
    Compile(form.get());
    Trigger(form.get(), "Exit1");
    QVERIFY(!form->isVisible());
}

void CommandsTest::helpAndAboutOpenModally_data()
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

void CommandsTest::helpAndAboutOpenModally()
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

void CommandsTest::onlineOpensTheWebSite_data()
{
    QTest::addColumn<bool>("browser");
    QTest::newRow("a browser takes the address") << true;
    QTest::newRow("no browser: the address is shown") << false;
}

void CommandsTest::onlineOpensTheWebSite()
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

QTEST_MAIN(CommandsTest)
