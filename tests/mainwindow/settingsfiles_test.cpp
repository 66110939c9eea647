// Settings files through the File menu, with the dialogs and boxes answered
// in advance: every control of every page comes back from a file, damaged
// files leave the window as it was, saving asks before replacing and never
// damages the old file, and the recent files are listed, opened and pruned.
#include "settingsfiles_test.h"

#include "core/fieldrulesmodel.h"
#include "core/settingsfile.h"
#include "mainwindow/controls.h"
#include "mainwindow/settingspage.h"
#include "windowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kListLength = 10000;
const QString kPassword = QStringLiteral("pw-never-in-the-file");

// What every control that shows a setting shows, read through the pages'
// own tables, with the caption and the compiled buffer.
// The form's rules as the table of Field Rules... shows them.
QString RulesShown(TForm1* form)
{
    const auto* rules = Child<QAbstractItemModel>(form, "FieldRules");
    QStringList cells;
    for (int row = 0; row < rules->rowCount(); ++row)
        for (int column = 0; column < rules->columnCount(); ++column) {
            const QModelIndex cell = rules->index(row, column);
            cells.append(cell.data(Qt::EditRole).toString() + cell.data(Qt::CheckStateRole).toString());
        }
    return cells.join('|');
}

// The mail server as the dialog Mail Server... keeps it, its password last.
QString MailServerShown(TForm1* form)
{
    const scriptgen::ScriptSettings s = form->CurrentSettings();
    const QString from = QString::fromStdString(s.mailFrom);
    if (!s.smtp)
        return "mail()|" + from;
    return QStringList{QString::fromStdString(s.smtp->host), QString::number(s.smtp->port),
        QString::number(static_cast<int>(s.smtp->security)), QString::fromStdString(s.smtp->userName), from,
        QString::fromStdString(s.smtp->password)}
        .join('|');
}

QStringList Snapshot(TForm1* form)
{
    QStringList shown;
    for (const zestrel::SettingsPage* page : form->Pages())
        for (const zestrel::PageControl& control : page->controls())
            if (control.row->setting == scriptgen::Setting::FieldRules)
                shown.append("FieldRules=" + RulesShown(form));
            else if (control.row->setting == scriptgen::Setting::MailServer)
                shown.append("MailServer=" + MailServerShown(form));
            else if (control.row->setting)
                shown.append(control.widget->objectName() + "=" +
                    Contents(form, control.widget->objectName().toLatin1().constData()));
    shown.append("caption=" + Caption(form));
    shown.append(QString("compiled=%1, %2 lines").arg(form->ScriptCompiled()).arg(form->ScriptBuffer().size()));
    return shown;
}

// A text no box holds by chance: quotes, a backslash, PHP and SQL, a tab,
// accents, an emoji, a no-break space, and the name of its control.
QString Hostile(const QString& control, const QString& round)
{
    return QString("%1 %2 '\"\\ {$x} <?php ?>; DROP TABLE t; -- \tStra\u00dfe \U0001F600\u00a0").arg(round, control);
}

// Puts a value of the round into every control that shows a setting, as a
// person types, ticks and picks: single-line boxes typed into, lists pasted
// in, 10,000 lines each, every third entry of the mail list ticked, a value
// picked into a spread of the grid's rows.
void FillFromTheTables(TForm1* form, const QString& round)
{
    for (const zestrel::SettingsPage* page : form->Pages()) {
        for (const zestrel::PageControl& control : page->controls()) {
            if (!control.row->setting)
                continue;
            const QString name = control.widget->objectName();
            const QString value = Hostile(name, round);
            Child<QTabWidget>(form, "PageControl1")->setCurrentWidget(const_cast<zestrel::SettingsPage*>(page));
            if (control.row->setting == scriptgen::Setting::FieldRules) {
                // Every cell of every row, as the table of Field Rules... edits them.
                auto* rules = Child<QAbstractItemModel>(form, "FieldRules");
                for (int row = 0; row < rules->rowCount(); row += 97)
                    for (int column = 1; column < rules->columnCount(); ++column) {
                        const QModelIndex cell = rules->index(row, column);
                        if (rules->flags(cell) & Qt::ItemIsUserCheckable)
                            rules->setData(cell, round == "first" ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
                        else
                            rules->setData(cell,
                                value + QString::number(column) +
                                    (column == zestrel::FieldRulesModel::Choices ? "\nsecond choice" : ""),
                                Qt::EditRole);
                    }
            } else if (control.row->setting == scriptgen::Setting::MailServer) {
                // The boxes of the dialog Mail Server..., typed into and confirmed.
                OnNextModal([&](QWidget* dialog) {
                    Child<QRadioButton>(dialog, "MailBySmtp")->click();
                    Child<QLineEdit>(dialog, "SmtpHost")->setText(value);
                    Child<QLineEdit>(dialog, "SmtpPort")->setText(round == "first" ? "465" : "2525");
                    Child<QComboBox>(dialog, "SmtpSecurity")->setCurrentIndex(round == "first" ? 1 : 2);
                    Child<QLineEdit>(dialog, "SmtpUser")->setText(value + "user");
                    Child<QLineEdit>(dialog, "SmtpPassword")->setText(kPassword + round);
                    Child<QLineEdit>(dialog, "MailFrom")->setText(value + "from");
                    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                });
                QTest::mouseClick(qobject_cast<QPushButton*>(control.widget), Qt::LeftButton);
            } else if (auto* edit = qobject_cast<QLineEdit*>(control.widget)) {
                edit->selectAll();
                edit->insert(value);
            } else if (auto* combo = qobject_cast<QComboBox*>(control.widget)) {
                combo->lineEdit()->selectAll();
                combo->lineEdit()->insert(value);
            } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control.widget)) {
                QStringList lines;
                for (int i = 0; i < kListLength; ++i)
                    lines.append(i % 1000 == 7 ? QString() : value + QString::number(i) + (i % 2 ? "\u2028x" : ""));
                // A last line that is empty is a line too.
                memo->setPlainText(lines.join('\n') + "\n\n");
            } else if (auto* list = qobject_cast<QListView*>(control.widget)) {
                for (int row = round == "first" ? 0 : 1; row < list->model()->rowCount(); row += 3)
                    list->model()->setData(list->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
            } else if (auto* grid = qobject_cast<QTableView*>(control.widget)) {
                auto* picker = Child<QComboBox>(form, "ComboBox1");
                for (int row = round == "first" ? 1 : 2; row < grid->model()->rowCount(); row += 997) {
                    grid->scrollTo(grid->model()->index(row, 1));
                    ClickItem(grid, row, 1);
                    picker->lineEdit()->setText(value + QString::number(row));
                }
            }
        }
    }
}

QList<QCheckBox*> Switches(TForm1* form)
{
    QList<QCheckBox*> switches;
    for (const zestrel::SettingsPage* page : form->Pages())
        for (const zestrel::PageControl& control : page->controls())
            if (auto* check = qobject_cast<QCheckBox*>(control.widget))
                switches.append(check);
    return switches;
}

// Saves through Save Settings As..., answering the dialog with `path`.
void SaveAs(TForm1* form, const QString& path)
{
    zestrel::SettingsDialog::setNextFileName(path);
    Trigger(form, "SaveSettingsAs1");
}

// Opens through Open Settings..., answering the dialog and the report.
void Open(TForm1* form, const QString& path)
{
    zestrel::SettingsDialog::setNextFileName(path);
    Trigger(form, "OpenSettings1");
}

// A settings file of sound settings, as the program writes it.
QJsonObject GoodFile()
{
    scriptgen::ScriptSettings s;
    s.fieldList = {"name", "email"};
    s.mailVariables = {{"$name", true}, {"$email", false}};
    s.sendMail = true;
    s.recipient = "owner@shop.test";
    s.insertFields = {"name"};
    s.insertValues = {"$name"};
    return QJsonDocument::fromJson(zestrel::SettingsFileBytes(s)).object();
}

QByteArray With(const QString& key, const QJsonValue& value)
{
    QJsonObject file = GoodFile();
    file.insert(key, value);
    return QJsonDocument(file).toJson();
}

// How each damaged file is made in a folder, and the reason the message
// gives; a reason ending in "(" is compared up to there.
struct Damaged {
    const char* name;
    std::function<QString(const QDir&)> make;
    QString reason;
};

QString Put(const QDir& dir, const QByteArray& bytes)
{
    WriteFile(dir.filePath("damaged.zestrel"), bytes);
    return dir.filePath("damaged.zestrel");
}

const QString kNotOurs = "it is not a settings file of Zestrel PHP Script Creator";

const Damaged kDamaged[] = {
    {"empty", [](const QDir& d) { return Put(d, ""); }, "the file is empty, not a settings file"},
    {"blanks only", [](const QDir& d) { return Put(d, " \n\t"); }, "the file is empty, not a settings file"},
    {"cut short",
        [](const QDir& d) {
            const QByteArray good = QJsonDocument(GoodFile()).toJson();
            return Put(d, good.left(good.size() / 2));
        },
        "the file is damaged or cut short ("},
    {"not JSON", [](const QDir& d) { return Put(d, "<html><body>a page</body></html>"); }, kNotOurs},
    {"binary",
        [](const QDir& d) {
            return Put(d,
                QByteArray("\x7f"
                           "ELF\0\x01\x02\xff\xfe",
                    9));
        },
        kNotOurs},
    {"JSON of another program", [](const QDir& d) { return Put(d, R"({"name": "x", "version": 1})"); }, kNotOurs},
    {"a JSON list", [](const QDir& d) { return Put(d, "[1, 2]"); }, kNotOurs},
    {"newer format", [](const QDir& d) { return Put(d, With("version", 999)); },
        "it was saved in settings format 999 by a newer version of Zestrel PHP Script Creator; this version reads "
        "format 1 and cannot show it: open it with the newer version"},
    {"version as text", [](const QDir& d) { return Put(d, With("version", "1")); },
        "\"version\" should be a whole number from 1, but the file holds text"},
    {"version not whole", [](const QDir& d) { return Put(d, With("version", 1.5)); },
        "\"version\" should be a whole number from 1, but the file holds 1.5"},
    {"version 0", [](const QDir& d) { return Put(d, With("version", 0)); },
        "\"version\" should be a whole number from 1, but the file holds 0"},
    {"text as a number", [](const QDir& d) { return Put(d, With("host", 5)); },
        "\"host\" should be text, but the file holds a number"},
    {"list as text", [](const QDir& d) { return Put(d, With("fieldList", "name")); },
        "\"fieldList\" should be a list of texts, but the file holds text"},
    {"a line of a list not text",
        [](const QDir& d) {
            return Put(d, With("insertFields", QJsonArray{"a", true}));
        },
        "\"insertFields\", line 2, should be text, but the file holds true or false"},
    {"switch as text", [](const QDir& d) { return Put(d, With("useDatabase", "yes")); },
        "\"useDatabase\" should be true or false, but the file holds text"},
    {"switch null", [](const QDir& d) { return Put(d, With("dropTable", QJsonValue())); },
        "\"dropTable\" should be true or false, but the file holds null"},
    {"unknown script", [](const QDir& d) { return Put(d, With("target", "fast")); },
        "\"target\" should be \"classic\" or \"safe\""},
    {"line break in a box", [](const QDir& d) { return Put(d, With("subject", "Hi\nBcc: x@evil.test")); },
        "\"subject\" holds a line break, which its box cannot show"},
    {"line break in a cell", [](const QDir& d) { return Put(d, With("insertValues", QJsonArray{"a\u2028b"})); },
        "\"insertValues\", line 1, holds a line break, which its box cannot show"},
    {"line break in a line of a list",
        [](const QDir& d) {
            return Put(d, With("fieldList", QJsonArray{"name", "a\rb"}));
        },
        "\"fieldList\", line 2, holds a line break, which its box cannot show"},
    {"more ticks than lines",
        [](const QDir& d) {
            return Put(d, With("mailTicked", QJsonArray{true, false, true}));
        },
        "\"mailTicked\" has more ticks (3) than \"fieldList\" has lines (2)"},
    {"ticks not a list", [](const QDir& d) { return Put(d, With("mailTicked", 2)); },
        "\"mailTicked\" should be a list of true or false, but the file holds a number"},
    {"tick as text", [](const QDir& d) { return Put(d, With("mailTicked", QJsonArray{"yes"})); },
        "\"mailTicked\", line 1, should be true or false, but the file holds text"},
    {"more values than fields",
        [](const QDir& d) {
            return Put(d, With("insertValues", QJsonArray{"a", "b"}));
        },
        "\"insertValues\" has more values (2) than \"insertFields\" has fields (1)"},
    {"a folder",
        [](const QDir& d) {
            d.mkdir("folder.zestrel");
            return d.filePath("folder.zestrel");
        },
        "it is a folder, not a file"},
    {"a link to nothing",
        [](const QDir& d) {
            QString link = d.filePath("link.zestrel");
            if (symlink("gone.zestrel", QFile::encodeName(link).constData()) != 0)
                qFatal("cannot make a link");
            return link;
        },
        "it is a symbolic link to \"gone.zestrel\", which does not exist"},
    {"no such file", [](const QDir& d) { return d.filePath("never.zestrel"); }, "No such file or directory"},
};

} // namespace

void SettingsFilesTest::everyControlComesBackFromTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("contact.zestrel");
    const auto form = StartForm();
    for (QCheckBox* on : Switches(form.get()))
        on->click();
    FillFromTheTables(form.get(), "first");
    Child<QLineEdit>(form.get(), "Edit3")->setText(kPassword);
    Child<QLineEdit>(form.get(), "Edit15")->setText(kPassword + "2");
    const QStringList typed = Snapshot(form.get());
    SaveAs(form.get(), path);
    QCOMPARE(form->SettingsFile(), path);

    // Other values in every control, every switch the other way round.
    Trigger(form.get(), "NewScript1");
    FillFromTheTables(form.get(), "second");
    for (QCheckBox* on : Switches(form.get()))
        on->click();
    const QStringList other = Snapshot(form.get());
    for (qsizetype i = 0; i + 2 < typed.size(); ++i)
        QVERIFY2(other[i] != typed[i], qPrintable(typed[i].left(60)));

    Open(form.get(), path);
    const QStringList opened = Snapshot(form.get());
    QCOMPARE(opened.size(), typed.size());
    for (qsizetype i = 0; i + 2 < typed.size(); ++i) {
        // The passwords, MySQL's, the owner's and the mail account's, are
        // never in the file.
        if (typed[i].startsWith("Edit3=") || typed[i].startsWith("Edit15="))
            QCOMPARE(opened[i], typed[i].section('=', 0, 0) + "=");
        else if (typed[i].startsWith("MailServer="))
            QCOMPARE(opened[i], typed[i].section('|', 0, -2) + "|");
        else
            QVERIFY2(opened[i] == typed[i], qPrintable(typed[i].left(60) + " came back as " + opened[i].left(60)));
    }
    // The compile reads the same settings as before, but for the password.
    scriptgen::ScriptSettings expected = zestrel::ParseSettings(ReadAll(path)).settings;
    QCOMPARE(form->CurrentSettings().fieldList, expected.fieldList);
    QCOMPARE(form->CurrentSettings().insertValues.size(), std::size_t{kListLength + 1});

    const QByteArray bytes = ReadAll(path);
    QVERIFY(!bytes.contains(kPassword.toUtf8()));
    struct stat status {};
    QCOMPARE(stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, 0600u);
}

void SettingsFilesTest::damagedFilesLeaveTheWindowAsItWas_data()
{
    AddRows(kDamaged);
}

void SettingsFilesTest::damagedFilesLeaveTheWindowAsItWas()
{
    QFETCH(int, row);
    const Damaged& damaged = kDamaged[row];
    QTemporaryDir dir;
    const auto form = StartForm();
    FillEveryControl(form.get());
    Compile(form.get());
    zestrel::MessageBoxes::takeShown();
    const QStringList before = Snapshot(form.get());

    const QString path = damaged.make(QDir(dir.path()));
    zestrel::SettingsDialog::setNextFileName(path);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    Trigger(form.get(), "OpenSettings1");
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Error);
    const QString prefix = QString("Cannot open \"%1\": ").arg(QDir::toNativeSeparators(path));
    const QString ending = ".\n\nThe window keeps the settings it had.";
    QVERIFY2(shown[0].text.startsWith(prefix) && shown[0].text.endsWith(ending), qPrintable(shown[0].text));
    const QString reason = shown[0].text.mid(prefix.size(), shown[0].text.size() - prefix.size() - ending.size());
    if (damaged.reason.endsWith('('))
        QVERIFY2(reason.startsWith(damaged.reason), qPrintable(reason));
    else
        QCOMPARE(reason, damaged.reason);
    QCOMPARE(Snapshot(form.get()), before);
    QVERIFY(form->SettingsFile().isEmpty());
}

void SettingsFilesTest::unknownAndMissingKeys()
{
    QTemporaryDir dir;
    QJsonObject file = GoodFile();
    file.insert("webhook", QJsonObject{{"address", "https://hooks.shop.test/"}});
    file.insert("fieldFormats", QJsonArray{});
    file.remove("recipient");
    const QString path = dir.filePath("newer.zestrel");
    WriteFile(path, QJsonDocument(file).toJson());

    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    Open(form.get(), path);
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Information);
    QCOMPARE(shown[0].text,
        QString("Opened newer.zestrel.\n\nLeft out, as this version of the program does not know them: "
                "fieldFormats, webhook."));
    // What the file holds is shown; a setting it lacks is empty.
    QCOMPARE(Text(form.get(), "Memo1"), QString("name\nemail"));
    QCOMPARE(Contents(form.get(), "CheckListBox1"), QString("[+$name,$email]"));
    QCOMPARE(Contents(form.get(), "CheckBox2"), QString("ticked"));
    QCOMPARE(Text(form.get(), "Edit6"), QString());
    QVERIFY(Enabled(form.get(), "Edit6"));
    QVERIFY(!Enabled(form.get(), "Edit1"));
    QCOMPARE(Cell(form.get(), 1, 1), QString("$name"));
}

void SettingsFilesTest::openingNamesThePasswordsToType_data()
{
    QTest::addColumn<std::function<void(scriptgen::ScriptSettings&)>>("change");
    QTest::addColumn<QString>("boxes");
    const QString database = "Edit3";
    const QString owner = "Edit15";
    const QString account = "SmtpPassword";
    using S = scriptgen::ScriptSettings;
    QTest::newRow("mail only") << std::function([](S&) {}) << QString();
    QTest::newRow("a database") << std::function([](S& s) { s.useDatabase = true; }) << database;
    QTest::newRow("safe table tasks") << std::function([](S& s) {
        s.target = scriptgen::Target::Safe;
        s.dropTable = true;
    }) << owner;
    QTest::newRow("safe records for the owner") << std::function([](S& s) {
        s.target = scriptgen::Target::Safe;
        s.displaySpecific = true;
    }) << owner;
    QTest::newRow("safe public records") << std::function([](S& s) {
        s.target = scriptgen::Target::Safe;
        s.displayAll = s.recordsPublic = true;
    }) << QString();
    QTest::newRow("classic records") << std::function([](S& s) { s.createTable = true; }) << QString();
    QTest::newRow("a mail account") << std::function([](S& s) {
        s.smtp = scriptgen::SmtpServer{"smtp.shop.test", 587, scriptgen::SmtpServer::Security::StartTls, "ada", ""};
    }) << account;
    QTest::newRow("a mail server without an account") << std::function([](S& s) {
        s.smtp = scriptgen::SmtpServer{"localhost", 25, scriptgen::SmtpServer::Security::None, "", ""};
    }) << QString();
    QTest::newRow("a mail account, mail off") << std::function([](S& s) {
        s.sendMail = false;
        s.smtp = scriptgen::SmtpServer{"smtp.shop.test", 587, scriptgen::SmtpServer::Security::StartTls, "ada", ""};
    }) << account;
    QTest::newRow("all three") << std::function([](S& s) {
        s.target = scriptgen::Target::Safe;
        s.useDatabase = s.createTable = true;
        s.smtp = scriptgen::SmtpServer{"smtp.shop.test", 587, scriptgen::SmtpServer::Security::StartTls, "ada", ""};
    }) << database + " " + owner + " " + account;
}

void SettingsFilesTest::openingNamesThePasswordsToType()
{
    QFETCH(std::function<void(scriptgen::ScriptSettings&)>, change);
    QFETCH(QString, boxes);
    scriptgen::ScriptSettings settings;
    settings.fieldList = {"name"};
    settings.mailVariables = {{"$name", true}};
    settings.sendMail = true;
    change(settings);
    QTemporaryDir dir;
    const QString path = dir.filePath("shop.zestrel");
    WriteFile(path, zestrel::SettingsFileBytes(settings));
    const auto form = StartForm();
    Open(form.get(), path);
    QVERIFY(zestrel::MessageBoxes::takeShown().isEmpty());
    // The empty boxes to type again say so, the mail account's in its dialog.
    QStringList asking;
    const auto ask = [&asking](QWidget* in, const char* name) {
        if (Child<QLineEdit>(in, name)->placeholderText() == zestrel::TypeAgainText())
            asking.append(name);
    };
    ask(form.get(), "Edit3");
    ask(form.get(), "Edit15");
    Trigger(form.get(), "EmailVariables1");
    if (!Child<QCheckBox>(form.get(), "CheckBox2")->isChecked())
        Click(form.get(), "CheckBox2");
    OnNextModal([&](QWidget* dialog) {
        ask(dialog, "SmtpPassword");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Click(form.get(), "Button3");
    QCOMPARE(asking.join(' '), boxes);
    // New Script asks for nothing again.
    if (form->isWindowModified())
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Discard);
    Trigger(form.get(), "NewScript1");
    QVERIFY(Child<QLineEdit>(form.get(), "Edit3")->placeholderText().isEmpty());
}

void SettingsFilesTest::openingClearsTheCompiledScript()
{
    QTemporaryDir dir;
    const HomeAt home(dir.path());
    const QString path = dir.filePath("contact.zestrel");
    WriteFile(path, QJsonDocument(GoodFile()).toJson());
    const auto form = StartForm();
    Trigger(form.get(), "ViewDatabaseRecords1");
    Compile(form.get());
    QVERIFY(form->ScriptCompiled());
    Open(form.get(), path);
    // The dialog starts at home without a documents folder, then at the
    // file open.
    QCOMPARE(zestrel::SettingsDialog::takeOpenedAt(), QStringList{dir.path()});
    zestrel::SettingsDialog::setNextFileName(QString());
    Trigger(form.get(), "OpenSettings1");
    QCOMPARE(zestrel::SettingsDialog::takeOpenedAt(), QStringList{path});
    QVERIFY(!form->ScriptCompiled());
    QVERIFY(form->ScriptBuffer().empty());
    QCOMPARE(Caption(form.get()), QString("contact.zestrel - Zestrel PHP Script Creator"));
    QCOMPARE(CurrentPage(form.get()), QString("TabSheet1"));
    // Save Script asks for a compile of the opened settings first.
    zestrel::MessageBoxes::takeShown();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton3"), Qt::LeftButton);
    QCOMPARE(zestrel::MessageBoxes::takeShown().value(0).text, QString("Compile script before saving!"));
}

void SettingsFilesTest::saveAndSaveAs()
{
    QTemporaryDir dir;
    const HomeAt home(dir.path());
    QVERIFY(QDir(dir.path()).mkdir("Documents"));
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});

    // Save Settings without a file asks for a name, in the documents folder.
    zestrel::SettingsDialog::setNextFileName(dir.filePath("contact"));
    Trigger(form.get(), "SaveSettings1");
    QCOMPARE(zestrel::SettingsDialog::takeOpenedAt(), QStringList{dir.filePath("Documents/untitled.zestrel")});
    const QString path = dir.filePath("contact.zestrel");
    QCOMPARE(form->SettingsFile(), path);
    QCOMPARE(Caption(form.get()), QString("contact.zestrel - Zestrel PHP Script Creator"));
    QCOMPARE(zestrel::ParseSettings(ReadAll(path)).settings.fieldList, scriptgen::Lines{"name"});

    // Save Settings again writes the same file without asking.
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"", "email"});
    Trigger(form.get(), "SaveSettings1");
    QCOMPARE(zestrel::ParseSettings(ReadAll(path)).settings.fieldList, scriptgen::Lines({"name", "email"}));

    // Save As onto a file that is there asks first: No keeps it, Yes replaces it.
    const QString other = dir.filePath("other.zestrel");
    WriteFile(other, "old");
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::No);
    SaveAs(form.get(), other);
    QCOMPARE(zestrel::SettingsDialog::takeOpenedAt(), QStringList{path});
    QCOMPARE(ReadAll(other), QByteArray("old"));
    QCOMPARE(form->SettingsFile(), path);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Yes);
    SaveAs(form.get(), other);
    QCOMPARE(zestrel::ParseSettings(ReadAll(other)).settings.fieldList, scriptgen::Lines({"name", "email"}));
    QCOMPARE(Caption(form.get()), QString("other.zestrel - Zestrel PHP Script Creator"));
    const auto asked = zestrel::MessageBoxes::takeShown();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].text, QString("File already Exists. Overwrite File?"));

    // A cancelled dialog writes nothing; New Script forgets the file.
    zestrel::SettingsDialog::setNextFileName(QString());
    Trigger(form.get(), "SaveSettingsAs1");
    Trigger(form.get(), "NewScript1");
    QCOMPARE(Caption(form.get()), QString("Zestrel PHP Script Creator"));
    QVERIFY(form->SettingsFile().isEmpty());
    zestrel::SettingsDialog::setNextFileName(QString());
    Trigger(form.get(), "SaveSettings1");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"contact.zestrel", "other.zestrel"}));
}

// After Open, Save Script and Read Form... open at the files of the work the
// settings file was saved with; a form page that is gone is not offered.
void SettingsFilesTest::dialogsOpenWhereTheWorksFilesWere()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("site/public"));
    const QString page = dir.filePath("site/contact.html");
    WriteFile(page, "<form method=\"post\" action=\"public/send.php\"><input name=\"name\"></form>");
    const QString script = dir.filePath("site/public/send.php");
    const QString settings = dir.filePath("site/contact.zestrel");
    {
        const auto form = StartForm();
        zestrel::OpenDialog::setNextFileName(page);
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
        Click(form.get(), "Button1");
        Compile(form.get());
        zestrel::SaveDialog::setNextFileName(script);
        Click(form.get(), "ToolButton3");
        SaveAs(form.get(), settings);
        zestrel::MessageBoxes::takeShown();
    }
    for (const bool pageGone : {false, true}) {
        if (pageGone)
            QVERIFY(QFile::remove(page));
        const auto form = StartForm();
        Open(form.get(), settings);
        QCOMPARE(Child<zestrel::SaveDialog>(form.get(), "SaveDialog1")->fileName(), script);
        QCOMPARE(Child<zestrel::OpenDialog>(form.get(), "OpenDialog1")->fileName(), pageGone ? QString() : page);
        QVERIFY(zestrel::MessageBoxes::takeShown().isEmpty());
    }
}

void SettingsFilesTest::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("contact.zestrel");
    WriteFile(path, "old settings");
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Yes);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    {
        const FileSizeLimit limit(16);
        SaveAs(form.get(), path);
    }
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].kind, zestrel::MessageBoxes::Kind::Error);
    QCOMPARE(shown[1].text,
        QString("Cannot save the settings to \"%1\": %2.\n\nThe window keeps your settings: choose another name or "
                "folder, or mend the cause, and save them again.")
            .arg(QDir::toNativeSeparators(path), strerror(EFBIG)));
    QCOMPARE(ReadAll(path), QByteArray("old settings"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"contact.zestrel"});
    QVERIFY(form->SettingsFile().isEmpty());
    QCOMPARE(Caption(form.get()), QString("Zestrel PHP Script Creator"));

    // A folder at the name is refused, as for scripts.
    QVERIFY(QDir(dir.path()).mkdir("folder.zestrel"));
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    SaveAs(form.get(), dir.filePath("folder"));
    QVERIFY(zestrel::MessageBoxes::takeShown().value(0).text.contains("it is a folder, not a regular file"));
}

void SettingsFilesTest::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<QString>("way"); // a command, or "close" for the title bar's button
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer"); // to "Save the changes...?"; 0 when nothing is asked
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QString>("subject"); // what the window shows afterwards
    const QString closed = "<closed>";
    const std::pair<const char*, QString> ways[] = {{"Exit1", closed}, {"close", closed}, {"NewScript1", ""},
        {"OpenSettings1", "Other"}, {"RecentSettingsFile1", "Hello"}};
    for (const auto& [way, after] : ways) {
        QTest::addRow("%s, unchanged", way) << way << false << 0 << false << after;
        QTest::addRow("%s, Cancel", way) << way << true << int(QMessageBox::Cancel) << false << "Changed";
        QTest::addRow("%s, Discard", way) << way << true << int(QMessageBox::Discard) << false << after;
        // The recent file opened after saving is the file saved.
        QTest::addRow("%s, Save", way) << way << true << int(QMessageBox::Save) << false
                                       << (after == "Hello" ? "Changed" : after);
    }
    QTest::addRow("Exit1, the save fails") << "Exit1" << true << int(QMessageBox::Save) << true << "Changed";
}

void SettingsFilesTest::unsavedChangesAreAskedAbout()
{
    QFETCH(QString, way);
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, saveFails);
    QFETCH(QString, subject);
    QTemporaryDir dir;
    const QString path = dir.filePath("contact.zestrel");
    const QString other = dir.filePath("other.zestrel");
    WriteFile(path, With("subject", "Hello"));
    WriteFile(other, With("subject", "Other"));
    const auto form = StartForm();
    Open(form.get(), path);
    zestrel::MessageBoxes::takeShown();
    QCOMPARE(Caption(form.get()), QString("contact.zestrel - Zestrel PHP Script Creator"));
    if (edited) {
        Trigger(form.get(), "EmailVariables1");
        TypeOver(form.get(), "Edit7", "Changed");
        QTRY_COMPARE(Caption(form.get()), QString("contact.zestrel* - Zestrel PHP Script Creator"));
        // Typed back as it was, the settings are the file's again.
        TypeOver(form.get(), "Edit7", "Hello");
        QTRY_VERIFY(!form->isWindowModified());
        TypeOver(form.get(), "Edit7", "Changed");
        QTRY_VERIFY(form->isWindowModified());
    }
    if (answer != 0)
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::StandardButton(answer));
    const bool goesOn = answer != QMessageBox::Cancel && !saveFails;
    if (saveFails)
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    if (goesOn && way == "OpenSettings1")
        zestrel::SettingsDialog::setNextFileName(other);
    {
        const FileSizeLimit limit(saveFails ? 16 : RLIM_INFINITY);
        if (way == "close")
            form->close();
        else
            Trigger(form.get(), way.toLatin1().constData());
    }
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(!shown.isEmpty() && shown[0].text == "Save the changes to contact.zestrel?", answer != 0);
    if (saveFails)
        QCOMPARE(shown.value(1).kind, zestrel::MessageBoxes::Kind::Error);
    QCOMPARE(zestrel::ParseSettings(ReadAll(path)).settings.subject,
        answer == QMessageBox::Save && !saveFails ? "Changed" : "Hello");
    QCOMPARE(form->isVisible() ? Text(form.get(), "Edit7") : "<closed>", subject);
    QCOMPARE(form->isVisible() && form->isWindowModified(), edited && !goesOn);
}

void SettingsFilesTest::realQuestionBeforeLosingChanges()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("contact.zestrel");
    WriteFile(path, With("subject", "Hello"));
    const auto form = StartForm();
    Open(form.get(), path);
    Trigger(form.get(), "EmailVariables1");
    TypeOver(form.get(), "Edit7", "Changed");
    // Escape is Cancel: the window keeps the changes; Save writes them and
    // goes on, and so does Discard without writing.
    for (const char* press : {"Escape", "Save", "Discard"}) {
        QStringList buttons;
        QString defaultButton;
        OnNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            for (const QAbstractButton* button : box->buttons())
                buttons.append(StripAccelerator(button->text()));
            defaultButton = StripAccelerator(box->defaultButton()->text());
            if (QString(press) == "Escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QString(press) == "Save" ? QMessageBox::Save : QMessageBox::Discard)->click();
        });
        if (QString(press) == "Discard") {
            Open(form.get(), path);
            Trigger(form.get(), "EmailVariables1");
            TypeOver(form.get(), "Edit7", "Dropped");
        }
        Trigger(form.get(), "NewScript1");
        buttons.sort();
        QCOMPARE(buttons, QStringList({"Cancel", "Discard", "Save"}));
        QCOMPARE(defaultButton, QString("Save"));
        QCOMPARE(Text(form.get(), "Edit7"), QString(press) == "Escape" ? "Changed" : "");
        QCOMPARE(
            zestrel::ParseSettings(ReadAll(path)).settings.subject, QString(press) == "Escape" ? "Hello" : "Changed");
    }
}

void SettingsFilesTest::recentSettings()
{
    QTemporaryDir dir;
    QStringList saved;
    {
        const auto form = StartForm();
        auto* recent = Child<QMenu>(form.get(), "RecentSettings1");
        QVERIFY(!recent->isEnabled());
        TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
        for (int i = 0; i < 10; ++i) {
            saved.prepend(dir.filePath(QString("s%1 & co.zestrel").arg(i)));
            SaveAs(form.get(), saved.front());
        }
    }
    // Another window, as in the next run, lists the last 8, newest first.
    const auto form = StartForm();
    auto* recent = Child<QMenu>(form.get(), "RecentSettings1");
    QVERIFY(recent->isEnabled());
    QStringList listed;
    for (const QAction* item : recent->actions())
        listed.append(item->objectName() + " " + StripAccelerator(item->text()));
    QStringList expected;
    for (int i = 0; i < 8; ++i)
        expected.append(QString("RecentSettingsFile%1 %1 %2").arg(i + 1).arg(QDir::toNativeSeparators(saved[i])));
    QCOMPARE(listed, expected);

    // A file gone since is taken off with a message; the window is unchanged.
    QVERIFY(QFile::remove(saved[2]));
    const QStringList before = Snapshot(form.get());
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    Child<QAction>(form.get(), "RecentSettingsFile3")->trigger();
    const auto shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Warning);
    QCOMPARE(shown[0].text,
        QString("\"%1\" is no longer there: it was moved, renamed or deleted. It is taken off Recent Settings; open it "
                "with Open Settings... where it is now.")
            .arg(QDir::toNativeSeparators(saved[2])));
    QCOMPARE(Snapshot(form.get()), before);
    QCOMPARE(recent->actions().size(), 7);

    // Opening one brings it to the top.
    Child<QAction>(form.get(), "RecentSettingsFile5")->trigger();
    QCOMPARE(form->SettingsFile(), saved[5]);
    QCOMPARE(StripAccelerator(recent->actions().front()->text()), "1 " + QDir::toNativeSeparators(saved[5]));
    QCOMPARE(recent->actions().size(), 7);
}

void SettingsFilesTest::droppedSettingsFileOpens()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dropped.ZESTREL");
    WriteFile(path, QJsonDocument(GoodFile()).toJson());
    const auto form = StartForm();
    for (const char* target : {"Memo1", "Form1"}) {
        Trigger(form.get(), "NewScript1");
        QWidget* widget = form->objectName() == target ? form.get() : Child<QWidget>(form.get(), target);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(widget))
            widget = memo->viewport();
        QVERIFY(DropFile(widget, path));
        QTRY_COMPARE(form->SettingsFile(), path);
        QCOMPARE(Text(form.get(), "Memo1"), QString("name\nemail"));
        QVERIFY(zestrel::MessageBoxes::takeShown().isEmpty());
    }
}

QTEST_MAIN(SettingsFilesTest)
