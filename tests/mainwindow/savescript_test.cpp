// Save Script driven through the tool button, with the save dialog and the
// message boxes answered in advance: which file is written, when the user is
// asked, the exact bytes on disk, and failures that leave old files intact.
#include "savescript_test.h"

#include "core/safefile.h"
#include "core/textrules.h"
#include "windowfixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QByteArray kOldContent = "old script\r\n";

// The error a failed save shows: the name, the reason, and what to do.
QString SaveFailure(const QString& path, const QString& reason)
{
    return QString("Cannot save the script to \"%1\": %2.\n\nThe script stays compiled: choose another name or "
                   "folder, or mend the cause, and save it again.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QByteArray ExpectedBytes(const scriptgen::Lines& lines)
{
    QByteArray bytes;
    for (const std::string& line : lines)
        bytes.append(line.data(), static_cast<qsizetype>(line.size())).append("\r\n");
    return bytes;
}

void ClickSave(QObject* form)
{
    QTest::mouseClick(Child<QToolButton>(form, "ToolButton3"), Qt::LeftButton);
}

// A form with a compiled two-field script.
std::unique_ptr<TForm1> CompiledForm(const QStringList& fields = {"name", "email"})
{
    auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), fields);
    Compile(form.get());
    zestrel::MessageBoxes::takeShown();
    return form;
}

// Puts `what` at `path`: "file" (the old content, mode 0640), "folder",
// "fifo", "device", or "-> target" for a symbolic link. False when this
// system does not let the test make it (a device node without the right).
bool Make(const QString& path, const QString& what)
{
    const QByteArray native = QFile::encodeName(path);
    if (what.startsWith("-> "))
        return symlink(QFile::encodeName(what.mid(3)).constData(), native.constData()) == 0;
    if (what == "file") {
        WriteFile(path, kOldContent);
        return chmod(native.constData(), 0640) == 0;
    }
    if (what == "folder")
        return mkdir(native.constData(), 0755) == 0;
    if (what == "fifo")
        return mkfifo(native.constData(), 0644) == 0;
    if (what == "device")
        return mknod(native.constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    qFatal("unknown entry %s", qPrintable(what));
}

// Every entry below a folder with its kind, links not followed: what a save
// left behind, temporary files included.
QStringList Listing(const QString& folder)
{
    QStringList entries;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status {};
        lstat(QFile::encodeName(path).constData(), &status);
        const char kind = S_ISLNK(status.st_mode) ? 'l'
            : S_ISREG(status.st_mode)             ? 'f'
            : S_ISDIR(status.st_mode)             ? 'd'
                                                  : 's';
        entries.append(QString("%1 %2").arg(kind).arg(QDir(folder).relativeFilePath(path)));
    }
    entries.sort();
    return entries;
}

} // namespace

void SaveScriptTest::refusedBeforeAnyCompile()
{
    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    zestrel::SaveDialog::setNextFileName("/nonexistent/never");
    ClickSave(form.get());
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Information);
    QCOMPARE(shown[0].title, zestrel::ApplicationTitle());
    QCOMPARE(shown[0].text, QString("Compile script before saving!"));
    // The dialog never opened.
    QCOMPARE(zestrel::SaveDialog::pendingFileNames(), 1);
    zestrel::SaveDialog::clearPending();
}

void SaveScriptTest::refusedAfterNewScript()
{
    QTemporaryDir dir;
    const auto form = CompiledForm();
    Trigger(form.get(), "NewScript1");
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    zestrel::SaveDialog::setNextFileName(dir.filePath("empty"));
    ClickSave(form.get());
    QCOMPARE(zestrel::MessageBoxes::takeShown().value(0).text, QString("Compile script before saving!"));
    QCOMPARE(zestrel::SaveDialog::pendingFileNames(), 1);
    zestrel::SaveDialog::clearPending();
    QVERIFY(QDir(dir.path()).isEmpty());
}

void SaveScriptTest::whichFileIsWritten_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<int>("answer"); // 0: not asked
    QTest::addColumn<QString>("written"); // empty: nothing written
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    const int cancel = QMessageBox::Cancel;
    QTest::newRow("new name gets .php") << "contact" << QStringList{} << 0 << "contact.php";
    QTest::newRow("name ending in .php kept") << "contact.php" << QStringList{} << 0 << "contact.php";
    QTest::newRow("suffix in capitals kept") << "CONTACT.PHP" << QStringList{} << 0 << "CONTACT.PHP";
    QTest::newRow("other suffix gets .php") << "contact.html" << QStringList{} << 0 << "contact.html.php";
    QTest::newRow("existing, Yes") << "contact.php" << QStringList{"contact.php"} << yes << "contact.php";
    QTest::newRow("existing, No") << "contact.php" << QStringList{"contact.php"} << no << "";
    QTest::newRow("existing, Cancel") << "contact.php" << QStringList{"contact.php"} << cancel << "";
    QTest::newRow("bare name of an existing script, Yes")
        << "contact" << QStringList{"contact.php"} << yes << "contact.php";
    QTest::newRow("bare name of an existing script, No") << "contact" << QStringList{"contact.php"} << no << "";
    QTest::newRow("existing bare name is not the file written")
        << "contact" << QStringList{"contact"} << 0 << "contact.php";
}

void SaveScriptTest::whichFileIsWritten()
{
    QFETCH(QString, chosen);
    QFETCH(QStringList, existing);
    QFETCH(int, answer);
    QFETCH(QString, written);
    QTemporaryDir dir;
    for (const QString& name : existing)
        WriteFile(dir.filePath(name), kOldContent);
    const auto form = CompiledForm();

    zestrel::SaveDialog::setNextFileName(dir.filePath(chosen));
    if (answer != 0)
        zestrel::MessageBoxes::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    ClickSave(form.get());

    const auto shown = zestrel::MessageBoxes::takeShown();
    if (answer != 0) {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Question);
        QCOMPARE(shown[0].title, QString("Confirm"));
        QCOMPARE(shown[0].text, QString("File already Exists. Overwrite File?"));
    } else {
        QVERIFY(shown.isEmpty());
    }
    QStringList expectedFiles = existing;
    if (!written.isEmpty() && !expectedFiles.contains(written))
        expectedFiles.append(written);
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    expectedFiles.sort();
    QCOMPARE(files, expectedFiles);
    for (const QString& name : files)
        QCOMPARE(ReadAll(dir.filePath(name)), name == written ? ExpectedBytes(form->ScriptBuffer()) : kOldContent);
    QVERIFY(form->ScriptCompiled());
}

void SaveScriptTest::cancelledDialogWritesNothing()
{
    QTemporaryDir dir;
    const auto form = CompiledForm();
    for (int attempt = 0; attempt < 2; ++attempt) {
        zestrel::SaveDialog::setNextFileName(QString());
        ClickSave(form.get());
    }
    QVERIFY(zestrel::MessageBoxes::takeShown().isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
    QCOMPARE(zestrel::SaveDialog::takeOpenedWith(), QStringList({"", ""}));
}

void SaveScriptTest::dialogRemembersTheLastName()
{
    QTemporaryDir dir;
    const auto form = CompiledForm();
    const QString first = dir.filePath("first");
    zestrel::SaveDialog::setNextFileName(first);
    ClickSave(form.get());
    zestrel::SaveDialog::setNextFileName(QString());
    ClickSave(form.get());
    zestrel::SaveDialog::setNextFileName(dir.filePath("second"));
    ClickSave(form.get());
    QCOMPARE(zestrel::SaveDialog::takeOpenedWith(), QStringList({"", first, first}));
    QVERIFY(QFileInfo::exists(dir.filePath("first.php")));
    QVERIFY(QFileInfo::exists(dir.filePath("second.php")));
}

void SaveScriptTest::fileHoldsTheBufferWithCrLf()
{
    QTemporaryDir dir;
    const auto form = CompiledForm({"straße", "", " "});
    zestrel::SaveDialog::setNextFileName(dir.filePath("contact"));
    ClickSave(form.get());
    const QByteArray bytes = ReadAll(dir.filePath("contact.php"));
    const QByteArray expected = "<?php\r\n\r\n$stra\xc3\x9f"
                                "e = $_POST['stra\xc3\x9f"
                                "e'];\r\n$  = $_POST[' '];\r\n\r\n\r\n?>\r\n";
    QCOMPARE(bytes, expected);
}

void SaveScriptTest::laterSettingsDoNotReachTheFile()
{
    QTemporaryDir dir;
    const auto form = CompiledForm({"name"});
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"", "email"});
    zestrel::SaveDialog::setNextFileName(dir.filePath("contact"));
    ClickSave(form.get());
    QVERIFY(!ReadAll(dir.filePath("contact.php")).contains("email"));
    QVERIFY(ReadAll(dir.filePath("contact.php")).contains("$name = $_POST['name'];"));
}

void SaveScriptTest::realConfirmationBox()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("contact.php");
    WriteFile(target, kOldContent);
    const auto form = CompiledForm();
    QPoint position;
    QString title, text;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool selectable = false;
    QFont font;
    OnNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        position = box->pos();
        title = box->windowTitle();
        text = box->text();
        defaultButton = box->standardButton(box->defaultButton());
        selectable = box->textInteractionFlags() & Qt::TextSelectableByMouse;
        font = box->font();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    zestrel::SaveDialog::setNextFileName(target);
    ClickSave(form.get());
    QCOMPARE(position, QPoint(300, 200));
    QCOMPARE(title, QString("Confirm"));
    QCOMPARE(text, QString("File already Exists. Overwrite File?"));
    QCOMPARE(defaultButton, QMessageBox::Yes);
    QVERIFY(selectable);
    QCOMPARE(font, form->font());
    // Escape is Cancel: the file stays as it was.
    QCOMPARE(ReadAll(target), kOldContent);
}

void SaveScriptTest::failedSave_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::newRow("missing folder") << "no/such/folder/contact";
    QTest::newRow("path through a file") << "plain.txt/contact";
    QTest::newRow("folder named like the script") << "folder.php";
}

void SaveScriptTest::failedSave()
{
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    WriteFile(dir.filePath("plain.txt"), kOldContent);
    QVERIFY(QDir(dir.path()).mkdir("folder.php"));
    const auto form = CompiledForm();
    const scriptgen::Lines buffer = form->ScriptBuffer();

    const QString target = zestrel::ScriptFileName(dir.filePath(chosen));
    zestrel::SaveDialog::setNextFileName(dir.filePath(chosen));
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ClickSave(form.get());
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Error);
    QCOMPARE(shown[0].title, zestrel::ApplicationTitle());
    const QString prefix = QString("Cannot save the script to \"%1\": ").arg(QDir::toNativeSeparators(target));
    QVERIFY2(shown[0].text.startsWith(prefix), qPrintable(shown[0].text));
    QVERIFY2(shown[0].text.size() > SaveFailure(target, "").size(), "the system's reason is missing");
    QVERIFY2(shown[0].text.endsWith(SaveFailure(target, "").mid(prefix.size())), qPrintable(shown[0].text));
    QCOMPARE(ReadAll(dir.filePath("plain.txt")), kOldContent);
    QVERIFY(form->ScriptCompiled());
    QCOMPARE(form->ScriptBuffer(), buffer);

    // The window goes on: the same script saves fine to a good name.
    zestrel::SaveDialog::setNextFileName(dir.filePath("good"));
    ClickSave(form.get());
    QCOMPARE(ReadAll(dir.filePath("good.php")), ExpectedBytes(buffer));
}

void SaveScriptTest::failedWriteLeavesTheOldFileIntact()
{
    QTemporaryDir dir;
    const QString target = dir.filePath("contact.php");
    WriteFile(target, kOldContent);
    const auto form = CompiledForm();
    const scriptgen::Lines buffer = form->ScriptBuffer();
    zestrel::SaveDialog::setNextFileName(target);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Yes);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    {
        const FileSizeLimit limit(16);
        ClickSave(form.get());
    }
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].kind, zestrel::MessageBoxes::Kind::Error);
    QCOMPARE(shown[1].text, SaveFailure(target, strerror(EFBIG)));
    QCOMPARE(ReadAll(target), kOldContent);
    QCOMPARE(Listing(dir.path()), QStringList{"f contact.php"});
    QVERIFY(form->ScriptCompiled());
    QCOMPARE(form->ScriptBuffer(), buffer);
}

void SaveScriptTest::whatStandsAtTheName_data()
{
    QTest::addColumn<QString>("what"); // what stands at contact.php, as Make() takes it
    QTest::addColumn<int>("answer"); // 0: not asked
    QTest::addColumn<QString>("written"); // the file that gets the script; empty: none
    QTest::addColumn<QString>("refusal"); // the reason an error gives; empty: no error
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    QTest::newRow("regular file, Yes") << "file" << yes << "contact.php"
                                       << "";
    QTest::newRow("link to a file, Yes") << "-> other/real.php" << yes << "other/real.php"
                                         << "";
    QTest::newRow("link to a file, No") << "-> other/real.php" << no << ""
                                        << "";
    QTest::newRow("link to a link to a file, Yes") << "-> real.php" << yes << "other/real.php"
                                                   << "";
    QTest::newRow("dangling link") << "-> other/missing.php" << 0 << ""
                                   << "it is a symbolic link to \"other/missing.php\", which does not exist";
    QTest::newRow("loop of links") << "-> loop.php" << 0 << ""
                                   << "it is a symbolic link that leads round in a loop";
    QTest::newRow("link to a folder") << "-> other" << 0 << ""
                                      << "it is a symbolic link to a folder, not to a regular file";
    QTest::newRow("link to a FIFO") << "-> other/pipe" << 0 << ""
                                    << "it is a symbolic link to a FIFO (named pipe), not to a regular file";
    QTest::newRow("link to a device") << "-> /dev/null" << 0 << ""
                                      << "it is a symbolic link to a device, not to a regular file";
    QTest::newRow("folder") << "folder" << 0 << ""
                            << "it is a folder, not a regular file";
    QTest::newRow("FIFO") << "fifo" << 0 << ""
                          << "it is a FIFO (named pipe), not a regular file";
    QTest::newRow("device") << "device" << 0 << ""
                            << "it is a device, not a regular file";
}

void SaveScriptTest::whatStandsAtTheName()
{
    QFETCH(QString, what);
    QFETCH(int, answer);
    QFETCH(QString, written);
    QFETCH(QString, refusal);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(Make(dir.filePath("other"), "folder"));
    QVERIFY(Make(dir.filePath("other/real.php"), "file"));
    QVERIFY(Make(dir.filePath("other/pipe"), "fifo"));
    QVERIFY(Make(dir.filePath("real.php"), "-> other/real.php"));
    QVERIFY(Make(dir.filePath("loop.php"), "-> contact.php"));
    if (!Make(dir.filePath("contact.php"), what))
        QSKIP("this system does not let the test make it");
    const QStringList before = Listing(dir.path());
    const auto form = CompiledForm();

    zestrel::SaveDialog::setNextFileName(dir.filePath("contact.php"));
    if (answer != 0)
        zestrel::MessageBoxes::setNextAnswer(static_cast<QMessageBox::StandardButton>(answer));
    if (!refusal.isEmpty())
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ClickSave(form.get());

    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), (answer != 0) + !refusal.isEmpty());
    if (answer != 0)
        QCOMPARE(shown.first().kind, zestrel::MessageBoxes::Kind::Question);
    if (!refusal.isEmpty()) {
        QCOMPARE(shown.last().kind, zestrel::MessageBoxes::Kind::Error);
        QCOMPARE(shown.last().text, SaveFailure(dir.filePath("contact.php"), refusal));
    }
    // Nothing was added, removed or turned into another kind: links stay
    // links, and no temporary file is left.
    QCOMPARE(Listing(dir.path()), before);
    for (const QString& file : {QString("contact.php"), QString("other/real.php")}) {
        if (!QFileInfo(dir.filePath(file)).isSymLink() && QFileInfo(dir.filePath(file)).isFile()) {
            QCOMPARE(ReadAll(dir.filePath(file)), file == written ? ExpectedBytes(form->ScriptBuffer()) : kOldContent);
            QCOMPARE(QFileInfo(dir.filePath(file)).permissions(),
                QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
        }
    }
}

void SaveScriptTest::nameTakenWhileWriting_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a file") << "file";
    QTest::newRow("a link to a file") << "-> real.php";
    QTest::newRow("a dangling link") << "-> missing.php";
    QTest::newRow("a folder") << "folder";
}

void SaveScriptTest::nameTakenWhileWriting()
{
    QFETCH(QString, what);
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QVERIFY(Make(dir.filePath("real.php"), "file"));
    const QString name = dir.filePath("contact.php");
    const zestrel::SaveTarget free = zestrel::InspectSaveTarget(name);
    QVERIFY(!free.exists);

    // The name is taken after it was found free: the new file does not
    // replace what took it, and the caller is told so that it can ask.
    QVERIFY(Make(name, what));
    const QStringList before = Listing(dir.path());
    QVERIFY(!zestrel::WriteFileSafely(free, zestrel::ScriptBytes({"<?php", "?>"})));
    QCOMPARE(Listing(dir.path()), before);
    QCOMPARE(ReadAll(dir.filePath("real.php")), kOldContent);
    if (what == "file")
        QCOMPARE(ReadAll(name), kOldContent);
}

void SaveScriptTest::longNames_data()
{
    QTest::addColumn<int>("length"); // bytes of the file's name, ".php" included
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("reason"); // empty: saved
    QTest::newRow("249 bytes over a file") << 249 << true << "";
    QTest::newRow("255 bytes over a file") << 255 << true << "";
    QTest::newRow("255 bytes, new") << 255 << false << "";
    QTest::newRow("256 bytes") << 256 << false << QString::fromLocal8Bit(strerror(ENAMETOOLONG));
}

void SaveScriptTest::longNames()
{
    QFETCH(int, length);
    QFETCH(bool, existing);
    QFETCH(QString, reason);
    QTemporaryDir tmp;
    const QString name = tmp.filePath(QString(length - 4, 'n') + ".php");
    if (existing)
        WriteFile(name, kOldContent);
    const auto form = CompiledForm();
    zestrel::SaveDialog::setNextFileName(name);
    if (existing)
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Yes);
    if (!reason.isEmpty())
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ClickSave(form.get());
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), existing + !reason.isEmpty());
    if (reason.isEmpty()) {
        QCOMPARE(ReadAll(name), ExpectedBytes(form->ScriptBuffer()));
        QCOMPARE(Listing(tmp.path()), QStringList{"f " + QFileInfo(name).fileName()});
    } else {
        QCOMPARE(shown.last().kind, zestrel::MessageBoxes::Kind::Error);
        QCOMPARE(shown.last().text, SaveFailure(name, reason));
        QVERIFY(Listing(tmp.path()).isEmpty());
    }
}

QTEST_MAIN(SaveScriptTest)
