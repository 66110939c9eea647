// The help window, the About window and the web-site command, driven the way
// a person meets them: by objectName, shown offscreen, modal loops closed
// from a timer. No test opens a browser: a fake opener stands in for it.
#include "about/aboutwindow.h"
#include "about/systeminfo.h"
#include "about/website.h"
#include "help/helpwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal window as soon as its modal loop has started.
void WhenModalShown(const std::function<void(QWidget*)>& act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start(10);
}

bool WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The whole text a label stands for: a text cut short to fit shows whole as its tip.
QString FullText(const QLabel* label)
{
    return label->toolTip().isEmpty() ? label->text() : label->toolTip();
}

bool HasVisiblePixel(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void helpWindowFrame();
    void helpShowsPageOfWorkingDirectory();
    void helpUsesDirectoryOfCreationTime();
    void helpFallsBackToBuiltInPage();
    void showHelpTwiceGivesSeparateModalWindows();

    void aboutWindowFrame();
    void aboutLabels_data();
    void aboutLabels();
    void aboutMachineTextsFilledOnEachShowing();
    void aboutIconAndCloseButton();
    void showAboutClosesWithButton();

    void webSiteCommandOpensConfiguredAddress();

private:
    QString m_startDirectory;
    QList<QUrl> m_opened;
    UrlOpener m_previousOpener;
};

void WindowsTest::initTestCase()
{
    m_previousOpener = SetUrlOpener([this](const QUrl& url) {
        m_opened.append(url);
        return false;
    });
    m_startDirectory = QDir::currentPath();
}

void WindowsTest::cleanupTestCase()
{
    SetUrlOpener(m_previousOpener);
}

void WindowsTest::init()
{
    m_opened.clear();
}

void WindowsTest::cleanup()
{
    QDir::setCurrent(m_startDirectory);
}

void WindowsTest::helpWindowFrame()
{
    TFormHelp form;
    QCOMPARE(form.objectName(), QStringLiteral("FormHelp"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Help Contents"));
    QCOMPARE(form.minimumSize(), QSize(729, 345));
    QCOMPARE(form.maximumSize(), QSize(729, 345));
    QCOMPARE(form.pos(), QPoint(48, 117));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    auto* web = form.findChild<QTextBrowser*>(QStringLiteral("Web1"));
    QVERIFY(web);
    QCOMPARE(web->geometry(), QRect(0, 0, 729, 345));
}

void WindowsTest::helpShowsPageOfWorkingDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("help.html")), "<html><body><p>Local page 7431</p></body></html>"));
    QVERIFY(QDir::setCurrent(dir.path()));

    TFormHelp form;
    form.show();
    auto* web = form.findChild<QTextBrowser*>(QStringLiteral("Web1"));
    QCOMPARE(web->source(), QUrl::fromLocalFile(dir.filePath(QStringLiteral("help.html"))));
    QCOMPARE(web->toPlainText(), QStringLiteral("Local page 7431"));
}

void WindowsTest::helpUsesDirectoryOfCreationTime()
{
    QTemporaryDir first;
    QTemporaryDir second;
    QVERIFY(WriteFile(first.filePath(QStringLiteral("help.html")), "<p>first</p>"));
    QVERIFY(WriteFile(second.filePath(QStringLiteral("help.html")), "<p>second</p>"));
    QVERIFY(QDir::setCurrent(first.path()));
    TFormHelp form;
    QVERIFY(QDir::setCurrent(second.path()));
    form.show();
    QCOMPARE(form.findChild<QTextBrowser*>(QStringLiteral("Web1"))->toPlainText(), QStringLiteral("first"));
}

void WindowsTest::helpFallsBackToBuiltInPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));

    TFormHelp form;
    form.show();
    auto* web = form.findChild<QTextBrowser*>(QStringLiteral("Web1"));
    QCOMPARE(web->source(), BuiltInHelpPage());
    QCOMPARE(web->documentTitle(), QStringLiteral("Zestrel PHP Script Creator Help"));
    QVERIFY(web->toPlainText().contains(QStringLiteral("Compile Script")));
    // The built-in copy is the page shipped beside the program.
    QCOMPARE(ReadFile(QStringLiteral(":/help/help.html")), ReadFile(QStringLiteral(ZESTREL_HELP_PAGE)));
}

void WindowsTest::showHelpTwiceGivesSeparateModalWindows()
{
    QTemporaryDir dir;
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("help.html")),
        "<p>top</p><p style=\"margin-top: 2000px\"><a name=\"end\">end</a></p>"));
    QVERIFY(QDir::setCurrent(dir.path()));
    QWidget owner;
    const QUrl page = QUrl::fromLocalFile(dir.filePath(QStringLiteral("help.html")));

    QPointer<QWidget> first;
    WhenModalShown([&](QWidget* modal) {
        first = modal;
        QCOMPARE(modal->objectName(), QStringLiteral("FormHelp"));
        QCOMPARE(modal->parentWidget(), &owner);
        // Leave the first window somewhere else than the page's start.
        modal->findChild<QTextBrowser*>(QStringLiteral("Web1"))->setSource(QUrl(page.toString() + "#end"));
        modal->close();
    });
    ShowHelp(&owner);
    QVERIFY(first.isNull());

    QPointer<QWidget> second;
    QUrl secondSource;
    WhenModalShown([&](QWidget* modal) {
        second = modal;
        secondSource = modal->findChild<QTextBrowser*>(QStringLiteral("Web1"))->source();
        modal->close();
    });
    ShowHelp(&owner);
    QCOMPARE(secondSource, page);
    QVERIFY(second.isNull());
    QVERIFY(owner.findChildren<TFormHelp*>().isEmpty());
}

void WindowsTest::aboutWindowFrame()
{
    TFormAbout form;
    QCOMPARE(form.objectName(), QStringLiteral("FormAbout"));
    QCOMPARE(form.windowTitle(), QStringLiteral("About"));
    QCOMPARE(form.minimumSize(), QSize(402, 193));
    QCOMPARE(form.maximumSize(), QSize(402, 193));
    QCOMPARE(form.pos(), QPoint(192, 114));
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void WindowsTest::aboutLabels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("designText");
    QTest::addColumn<bool>("bold");

    QTest::newRow("Label5") << "Label5" << QPoint(128, 16) << "Zestrel PHP Script Creator v1.0" << false;
    QTest::newRow("Label1") << "Label1" << QPoint(16, 88) << "Operating System:" << true;
    QTest::newRow("OS") << "OS" << QPoint(136, 88) << "OS" << false;
    QTest::newRow("Label2") << "Label2" << QPoint(16, 112) << " Physical Memory:" << true;
    QTest::newRow("PhysMem") << "PhysMem" << QPoint(136, 112) << "PhysMem" << false;
    QTest::newRow("Label4") << "Label4" << QPoint(27, 152) << QStringLiteral(ZESTREL_SITE_URL).chopped(1) << false;
}

void WindowsTest::aboutLabels()
{
    QFETCH(QString, name);
    QFETCH(QPoint, position);
    QFETCH(QString, designText);
    QFETCH(bool, bold);

    TFormAbout form;
    auto* label = form.findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), designText);
    form.show();
    QCOMPARE(label->pos(), position);
    QCOMPARE(label->font().bold(), bold);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(!label->openExternalLinks());
    // Labels size themselves to the text they show.
    QCOMPARE(label->width(), label->sizeHint().width());
    QCOMPARE(label->height(), 13);
}

void WindowsTest::aboutMachineTextsFilledOnEachShowing()
{
    TFormAbout form;
    auto* os = form.findChild<QLabel*>(QStringLiteral("OS"));
    auto* memory = form.findChild<QLabel*>(QStringLiteral("PhysMem"));
    form.show();
    const QString osText = CurrentOperatingSystemText();
    const QString memoryText = PhysicalMemoryText(TotalPhysicalMemory(), QLocale());
    QCOMPARE(FullText(os), osText);
    QCOMPARE(FullText(memory), memoryText);
    QVERIFY(memory->text().endsWith(QStringLiteral(" KB")));
#ifndef Q_OS_WIN
    QVERIFY(!osText.contains(QStringLiteral("Windows")));
#endif
    for (const QLabel* label : {os, memory}) {
        QVERIFY2(label->geometry().right() < form.width(), qPrintable(label->text()));
        if (label->text() != FullText(label)) {
            QVERIFY(label->text().endsWith(QChar(0x2026)));
            QVERIFY(FullText(label).startsWith(label->text().chopped(1)));
        }
    }

    form.hide();
    os->setText(QStringLiteral("stale"));
    memory->setText(QStringLiteral("stale"));
    form.show();
    QCOMPARE(FullText(os), osText);
    QCOMPARE(FullText(memory), memoryText);
}

void WindowsTest::aboutIconAndCloseButton()
{
    TFormAbout form;
    form.show();
    auto* image = form.findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(48, 24, 41, 41));
    QVERIFY(HasVisiblePixel(image->pixmap()));

    auto* button = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("Close"));
    QCOMPARE(button->geometry(), QRect(320, 160, 75, 25));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

void WindowsTest::showAboutClosesWithButton()
{
    QWidget owner;
    QPointer<QWidget> shown;
    QString shownOs;
    WhenModalShown([&](QWidget* modal) {
        shown = modal;
        shownOs = FullText(modal->findChild<QLabel*>(QStringLiteral("OS")));
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    });
    ShowAbout(&owner);
    QCOMPARE(shownOs, CurrentOperatingSystemText());
    QVERIFY(shown.isNull());
    QVERIFY(owner.findChildren<TFormAbout*>().isEmpty());
}

void WindowsTest::webSiteCommandOpensConfiguredAddress()
{
    QWidget owner;
    QVERIFY(!OpenWebSite(&owner));
    QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral(ZESTREL_SITE_URL))});
    QVERIFY(WebSiteAddress().endsWith(QLatin1Char('/')));
    QCOMPARE(WebSiteShownAddress() + QLatin1Char('/'), WebSiteAddress());
    // The failure goes to the caller; nothing was shown.
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
