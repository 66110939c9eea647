// The pure texts of the help and About windows: the operating-system line,
// the memory line and the help address, each as a table of cases.
#include "about/systeminfo.h"
#include "help/helpwindow.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <limits>

class FormattersTest : public QObject {
    Q_OBJECT

private slots:
    void windowsRecord_data();
    void windowsRecord();
    void systemVersion_data();
    void systemVersion();
    void kernelRelease_data();
    void kernelRelease();
    void prettyName_data();
    void prettyName();
    void memory_data();
    void memory();
    void helpAddress_data();
    void helpAddress();
    void helpSourcePrefersFileInDirectory();
    void helpSourceFallsBackWithoutFile();
    void helpSourceCleansDoubledSlash();
    void runningSystem();
};

void FormattersTest::windowsRecord_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<std::uint32_t>("build");
    QTest::addColumn<QString>("servicePack");
    QTest::addColumn<QString>("expected");

    QTest::newRow("NT with service pack") << 2 << 5 << 1 << std::uint32_t{2600} << "Service Pack 2"
                                          << "Windows NT 5.1 (Build 2600: Service Pack 2)";
    QTest::newRow("NT without service pack") << 2 << 5 << 1 << std::uint32_t{2600} << ""
                                             << "Windows NT 5.1 (Build 2600)";
    QTest::newRow("NT keeps a build above 16 bits") << 2 << 10 << 0 << std::uint32_t{0x12345} << ""
                                                    << "Windows NT 10.0 (Build 74565)";
    QTest::newRow("consumer line drops the version in the high bits") << 1 << 4 << 10 << std::uint32_t{0x040A08AE} << ""
                                                                      << "Windows 95 4.10 (Build 2222)";
    QTest::newRow("consumer line with its service-pack text") << 1 << 4 << 0 << std::uint32_t{0x04000457} << " B"
                                                              << "Windows 95 4.0 (Build 1111:  B)";
    QTest::newRow("other kind shows no build") << 0 << 3 << 10 << std::uint32_t{528} << "extra"
                                               << "Windows 3.10";
    QTest::newRow("unknown kind shows no build") << 3 << 4 << 20 << std::uint32_t{0} << ""
                                                 << "Windows 4.20";
}

void FormattersTest::windowsRecord()
{
    QFETCH(int, kind);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(std::uint32_t, build);
    QFETCH(QString, servicePack);
    QFETCH(QString, expected);
    QCOMPARE(OperatingSystemText({kind, major, minor, build, servicePack}), expected);
}

void FormattersTest::systemVersion_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<std::uint32_t>("build");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Linux with distribution")
        << "Linux" << 6 << 1 << std::uint32_t{0} << "Debian GNU/Linux 12 (bookworm)"
        << "Linux 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))";
    QTest::newRow("unknown distribution") << "Linux" << 6 << 18 << std::uint32_t{44} << ""
                                          << "Linux 6.18 (Build 44)";
    QTest::newRow("another system's own name") << "FreeBSD" << 14 << 0 << std::uint32_t{0} << ""
                                               << "FreeBSD 14.0 (Build 0)";
}

void FormattersTest::systemVersion()
{
    QFETCH(QString, name);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(std::uint32_t, build);
    QFETCH(QString, extra);
    QFETCH(QString, expected);
    QCOMPARE(SystemVersionText({name, major, minor, build, extra}), expected);
}

void FormattersTest::kernelRelease_data()
{
    QTest::addColumn<QString>("release");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<std::uint32_t>("build");

    QTest::newRow("Debian") << "6.1.0-18-amd64" << 6 << 1 << std::uint32_t{0};
    QTest::newRow("two-digit minor and patch") << "6.18.44-fc-v1272" << 6 << 18 << std::uint32_t{44};
    QTest::newRow("four numbers") << "5.15.153.1-microsoft-standard-WSL2" << 5 << 15 << std::uint32_t{153};
    QTest::newRow("no third number") << "6.8" << 6 << 8 << std::uint32_t{0};
    QTest::newRow("suffix right after minor") << "6.8-rc1" << 6 << 8 << std::uint32_t{0};
    QTest::newRow("major only") << "4" << 4 << 0 << std::uint32_t{0};
    QTest::newRow("Windows kernel version") << "10.0.19045" << 10 << 0 << std::uint32_t{19045};
    QTest::newRow("empty") << "" << 0 << 0 << std::uint32_t{0};
    QTest::newRow("no number") << "unknown" << 0 << 0 << std::uint32_t{0};
}

void FormattersTest::kernelRelease()
{
    QFETCH(QString, release);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(std::uint32_t, build);
    const SystemVersion version = ParseKernelRelease(release);
    QCOMPARE(version.major, major);
    QCOMPARE(version.minor, minor);
    QCOMPARE(version.build, build);
}

void FormattersTest::prettyName_data()
{
    QTest::addColumn<QString>("osRelease");
    QTest::addColumn<QString>("expected");

    QTest::newRow("double quotes")
        << "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"
        << "Debian GNU/Linux 12 (bookworm)";
    QTest::newRow("no quotes") << "ID=alpine\nPRETTY_NAME=Alpine\n"
                               << "Alpine";
    QTest::newRow("single quotes keep backslashes") << "PRETTY_NAME='A\\B'\n"
                                                    << "A\\B";
    QTest::newRow("escaped quote") << "PRETTY_NAME=\"Say \\\"hi\\\"\""
                                   << "Say \"hi\"";
    QTest::newRow("only a look-alike key") << "MY_PRETTY_NAME=\"x\"\nNAME=Linux\n"
                                           << "";
    QTest::newRow("empty file") << ""
                                << "";
}

void FormattersTest::prettyName()
{
    QFETCH(QString, osRelease);
    QFETCH(QString, expected);
    QCOMPARE(PrettyNameFromOsRelease(osRelease), expected);
}

void FormattersTest::memory_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("nothing") << quint64{0} << english << " KB";
    QTest::newRow("below 1 KB prints no digits") << quint64{1023} << english << " KB";
    QTest::newRow("exactly 1 KB") << quint64{1024} << english << "1 KB";
    QTest::newRow("remainder discarded") << quint64{2047} << english << "1 KB";
    QTest::newRow("three digits, no separator") << quint64{999ULL * 1024} << english << "999 KB";
    QTest::newRow("first separator") << quint64{1000ULL * 1024} << english << "1,000 KB";
    QTest::newRow("English grouping") << quint64{523744ULL * 1024} << english << "523,744 KB";
    QTest::newRow("German grouping") << quint64{523744ULL * 1024} << german << "523.744 KB";
    QTest::newRow("C locale still groups") << quint64{523744ULL * 1024} << QLocale::c() << "523,744 KB";
    QTest::newRow("exactly 4 GB does not wrap to zero") << quint64{4ULL << 30} << english << "4,194,304 KB";
    QTest::newRow("8 GB") << quint64{8ULL << 30} << german << "8.388.608 KB";
    QTest::newRow("largest total") << std::numeric_limits<quint64>::max() << english << "18,014,398,509,481,983 KB";
}

void FormattersTest::memory()
{
    QFETCH(quint64, bytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(PhysicalMemoryText(bytes, locale), expected);
}

void FormattersTest::helpAddress_data()
{
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("expected");

    QTest::newRow("drive root keeps its separator") << "C:\\"
                                                    << "C://help.html";
    QTest::newRow("Windows folder") << "C:\\Tools\\Scripts"
                                    << "C:/Tools/Scripts/help.html";
    QTest::newRow("network share") << "\\\\server\\share\\web"
                                   << "//server/share/web/help.html";
    QTest::newRow("mixed separators") << "C:/Tools\\Scripts"
                                      << "C:/Tools/Scripts/help.html";
    QTest::newRow("forward slashes pass unchanged") << "/home/user/forms"
                                                    << "/home/user/forms/help.html";
    QTest::newRow("Unix root") << "/"
                               << "//help.html";
}

void FormattersTest::helpAddress()
{
    QFETCH(QString, directory);
    QFETCH(QString, expected);
    QCOMPARE(HelpAddress(directory), expected);
}

void FormattersTest::helpSourcePrefersFileInDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile page(dir.filePath(QStringLiteral("help.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QCOMPARE(HelpSource(HelpAddress(dir.path())), QUrl::fromLocalFile(dir.filePath(QStringLiteral("help.html"))));
}

void FormattersTest::helpSourceFallsBackWithoutFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(HelpSource(HelpAddress(dir.path())), BuiltInHelpPage());
    // A folder named help.html is not a page.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("help.html")));
    QCOMPARE(HelpSource(HelpAddress(dir.path())), BuiltInHelpPage());
}

void FormattersTest::helpSourceCleansDoubledSlash()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile page(dir.filePath(QStringLiteral("help.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    const QUrl source = HelpSource(HelpAddress(dir.path() + QLatin1Char('/')));
    QVERIFY(source.host().isEmpty());
    QCOMPARE(source, QUrl::fromLocalFile(page.fileName()));
}

void FormattersTest::runningSystem()
{
#ifdef Q_OS_LINUX
    QFile osRelease(QStringLiteral("/proc/sys/kernel/osrelease"));
    QVERIFY(osRelease.open(QIODevice::ReadOnly));
    const SystemVersion kernel = ParseKernelRelease(QString::fromLatin1(osRelease.readAll().trimmed()));
    const QString text = CurrentOperatingSystemText();
    QVERIFY2(
        text.startsWith(QStringLiteral("Linux %1.%2 (Build %3").arg(kernel.major).arg(kernel.minor).arg(kernel.build)),
        qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Windows")));
    QFile distribution(QStringLiteral("/etc/os-release"));
    if (distribution.open(QIODevice::ReadOnly)) {
        const QString name = PrettyNameFromOsRelease(QString::fromUtf8(distribution.readAll()));
        if (!name.isEmpty())
            QVERIFY2(text.endsWith(QStringLiteral(": ") + name + QLatin1Char(')')), qPrintable(text));
    }

    // The kernel's own count, in kB, is the same total.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    QVERIFY(meminfo.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = meminfo.readLine().simplified().split(' ');
    QCOMPARE(fields.value(0), QByteArray("MemTotal:"));
    QCOMPARE(TotalPhysicalMemory(), fields.value(1).toULongLong() * 1024);
#else
    QSKIP("compares with the Linux kernel's own files");
#endif
}

QTEST_GUILESS_MAIN(FormattersTest)
#include "formatters_test.moc"
