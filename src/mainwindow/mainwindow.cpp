#include "mainwindow/mainwindow.h"

#include "about/aboutwindow.h"
#include "core/safefile.h"
#include "core/settingsfile.h"
#include "core/textrules.h"
#include "help/helpwindow.h"
#include "mainwindow/alterdatabasetablespage.h"
#include "mainwindow/controls.h"
#include "mainwindow/databaserecordspage.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/document.h"
#include "mainwindow/emailvariablespage.h"
#include "mainwindow/guard.h"
#include "mainwindow/onlinecommand.h"
#include "mainwindow/problemtext.h"
#include "mainwindow/readform.h"
#include "mainwindow/scriptsetuppage.h"
#include "mainwindow/viewdatabaserecordspage.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using zestrel::Guard;

namespace {

constexpr int kClientWidth = 537;
constexpr int kClientHeight = 441;
const QString kCaption = QStringLiteral("Zestrel PHP Script Creator");
// The check's box lists this many problems at most, so that it fits the
// screen.
constexpr std::size_t kShownProblems = 12;

QStringList WithDollar(const QStringList& lines)
{
    QStringList entries;
    entries.reserve(lines.size());
    for (const QString& line : lines) {
        // Sized once: "$" + line would grow a one-character string.
        QString entry(line.size() + 1, Qt::Uninitialized);
        entry[0] = u'$';
        std::copy(line.cbegin(), line.cend(), entry.begin() + 1);
        entries.append(std::move(entry));
    }
    return entries;
}

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The user's documents folder, or the home folder where there is none: a
// dialog started at a folder that does not exist would propose its name as
// the file's.
QString DocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// A new settings file, named after the form read or the script saved last.
QString ProposedSettingsFile(const QString& form, const QString& script)
{
    QString name = QFileInfo(form.isEmpty() ? script : form).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("untitled");
    return QDir(DocumentsFolder()).filePath(name + QLatin1String(zestrel::kSettingsSuffix));
}

// The password boxes of the window that the opened settings need filled in
// again, as files never keep a password. The mail account's password is the
// Mail Server dialog's to ask for.
std::vector<scriptgen::Setting> PasswordsToType(const scriptgen::ScriptSettings& s)
{
    std::vector<scriptgen::Setting> boxes;
    if (s.useDatabase)
        boxes.push_back(scriptgen::Setting::Password);
    if (s.target == scriptgen::Target::Safe && scriptgen::NeedsOwnerPassword(s))
        boxes.push_back(scriptgen::Setting::OwnerPassword);
    return boxes;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), document_(new zestrel::Document(this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/zestrel.svg")));
    setFont(zestrel::DialogFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    scriptDialog_ = new zestrel::SaveDialog(this);
    scriptDialog_->setObjectName(QStringLiteral("SaveDialog1"));
    formDialog_ = new zestrel::OpenDialog(this);
    formDialog_->setObjectName(QStringLiteral("OpenDialog1"));
    settingsDialog_ = new zestrel::SettingsDialog(this);
    fieldVariables_ = new QStringListModel(this);

    commands_ = zestrel::BuildCommands(this, client);
    tabs_ = zestrel::Place(new QTabWidget(client), "PageControl1", {0, 32, 537, 409});
    const zestrel::PageParts parts{fieldVariables_, {}};
    scriptSetup_ = new zestrel::ScriptSetupPage(parts, tabs_);
    emailVariables_ = new zestrel::EmailVariablesPage(parts, tabs_);
    databaseRecords_ = new zestrel::DatabaseRecordsPage(parts, tabs_);
    viewDatabaseRecords_ = new zestrel::ViewDatabaseRecordsPage(parts, tabs_);
    alterDatabaseTables_ = new zestrel::AlterDatabaseTablesPage(parts, tabs_);
    pages_ = {scriptSetup_, emailVariables_, databaseRecords_, viewDatabaseRecords_, alterDatabaseTables_};
    for (zestrel::SettingsPage* page : pages_) {
        tabs_->addTab(page, QString::fromUtf8(page->layout().title));
        // A switch may govern controls of other pages too.
        page->findSwitches([this](const char* name) {
            for (const zestrel::SettingsPage* owner : pages_)
                if (QCheckBox* governor = owner->switchNamed(name))
                    return governor;
            return static_cast<QCheckBox*>(nullptr);
        });
        connect(page, &zestrel::SettingsPage::edited, this, &TForm1::scheduleModifiedUpdate);
    }
    tabs_->setCurrentWidget(scriptSetup_);

    scriptBuffer_ = zestrel::AddMemo(client, "Memo5", {0, 424, 537, 9}, false);
    scriptBuffer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    scriptBuffer_->hide();

    connectCommands();
    zestrel::AcceptFileDrops(
        this, scriptSetup_->fieldList()->viewport(), [this](const QString& path) { openDroppedFile(path); });
    connect(scriptSetup_->fieldList(), &QPlainTextEdit::textChanged, this, &TForm1::Memo1Change);
    connect(scriptSetup_->readFormButton(), &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(document_, &zestrel::Document::scriptChanged, this, [this] {
        QStringList text;
        text.reserve(static_cast<qsizetype>(document_->script().size()));
        for (const std::string& line : document_->script())
            text.append(QString::fromStdString(line));
        scriptBuffer_->setPlainText(text.join(QLatin1Char('\n')));
    });
    connect(document_, &zestrel::Document::settingsFileChanged, this, &TForm1::showSettingsFile);
    showSettingsFile();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(141, 53);
    // What the user types right after start goes into the field list.
    scriptSetup_->fieldList()->setFocus();
}

TForm1::~TForm1() = default;

void TForm1::connectCommands()
{
    const zestrel::Commands& c = commands_;
    connect(c.compile, &QAction::triggered, this, &TForm1::Action1Execute);
    connect(c.saveScriptButton, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(c.helpButton, &QToolButton::clicked, this, &TForm1::ToolButton5Click);
    connect(c.onlineButton, &QToolButton::clicked, this, &TForm1::ToolButton6Click);
    connect(c.newScript, &QAction::triggered, this, &TForm1::NewScript1Click);
    connect(c.openSettings, &QAction::triggered, this, &TForm1::OpenSettings1Click);
    connect(c.saveSettings, &QAction::triggered, this, &TForm1::SaveSettings1Click);
    connect(c.saveSettingsAs, &QAction::triggered, this, &TForm1::SaveSettingsAs1Click);
    // Another run of the program may have changed the list meanwhile.
    connect(c.fileMenu, &QMenu::aboutToShow, this, &TForm1::listRecentSettings);
    listRecentSettings();
    connect(c.exit, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(c.scriptSetup, &QAction::triggered, this, &TForm1::ScriptSetup1Click);
    connect(c.emailVariables, &QAction::triggered, this, &TForm1::EmailVariables1Click);
    connect(c.databaseRecords, &QAction::triggered, this, &TForm1::DatabaseRecords1Click);
    connect(c.viewDatabaseRecords, &QAction::triggered, this, &TForm1::ViewDatabaseRecords1Click);
    connect(c.alterDatabaseRecords, &QAction::triggered, this, &TForm1::AlterDatabaseRecords1Click);
    connect(c.helpContents, &QAction::triggered, this, &TForm1::HelpContents1Click);
    connect(c.online, &QAction::triggered, this, &TForm1::VORTEQOnline1Click);
    connect(c.about, &QAction::triggered, this, &TForm1::About1Click);
}

bool TForm1::ScriptCompiled() const
{
    return document_->compiled();
}

const scriptgen::Lines& TForm1::ScriptBuffer() const
{
    return document_->script();
}

const zestrel::InsertGrid& TForm1::Grid() const
{
    return databaseRecords_->grid();
}

const QString& TForm1::SettingsFile() const
{
    return document_->settingsFile();
}

bool TForm1::event(QEvent* event)
{
    // The first-activation settings run once per run. They also run when the
    // window is shown without being made active (no window manager, focus
    // stealing prevention), so that no click can reach a control before them.
    const bool showsOrActivates = event->type() == QEvent::WindowActivate || event->type() == QEvent::Show;
    if (showsOrActivates && !activated_) {
        activated_ = true;
        FormActivate();
    }
    return QMainWindow::event(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool close = true;
    Guard([this, &close] { close = maybeSaveChanges(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

void TForm1::showPage(QWidget* page)
{
    tabs_->setCurrentWidget(page);
}

scriptgen::ScriptSettings TForm1::CurrentSettings() const
{
    scriptgen::ScriptSettings settings;
    for (const zestrel::SettingsPage* page : pages_)
        page->readSettings(settings);
    return settings;
}

void TForm1::FormActivate()
{
    Guard([this] {
        for (zestrel::SettingsPage* page : pages_)
            page->firstActivation();
    });
}

void TForm1::Memo1Change()
{
    Guard([this] {
        const QStringList entries = WithDollar(zestrel::MemoLines(scriptSetup_->fieldList()));
        emailVariables_->setMailEntries(entries);
        fieldVariables_->setStringList(entries);
    });
}

void TForm1::Action1Execute()
{
    Guard([this] {
        const scriptgen::ScriptSettings settings = CurrentSettings();
        if (const auto problems = document_->compile(settings); !problems.empty()) {
            showProblems(problems);
            return;
        }
        QString report = QStringLiteral("Script Successfully compiled!");
        for (const QString& note : zestrel::NotesAfterCompile(settings))
            report += QStringLiteral("\n\n") + note;
        zestrel::MessageBoxes::information(
            zestrel::ApplicationTitle(), report, [this] { return scriptBuffer_->toPlainText(); },
            [this] { ToolButton3Click(); });
    });
}

void TForm1::showProblems(const std::vector<scriptgen::Problem>& problems)
{
    QString text = QStringLiteral("The safe script was not compiled. Please correct these settings:\n");
    for (std::size_t i = 0; i < problems.size() && i < kShownProblems; ++i)
        text += QStringLiteral("\n\u2022 ") + zestrel::Describe(problems[i]);
    if (problems.size() > kShownProblems)
        text += QStringLiteral("\n\u2022 \u2026and %1 more.").arg(problems.size() - kShownProblems);
    if (document_->compiled())
        text += QStringLiteral("\n\nSave Script still saves the script compiled before.");
    zestrel::MessageBoxes::warning(zestrel::ApplicationTitle(), text);

    QWidget* control = controlFor(problems.front().setting);
    for (QWidget* page = control; page; page = page->parentWidget())
        if (tabs_->indexOf(page) >= 0)
            showPage(page);
    control->setFocus(Qt::OtherFocusReason);
    // A rule is mended in its own table, at the cell at fault.
    if (problems.front().setting == scriptgen::Setting::FieldRules)
        scriptSetup_->showRuleProblem(problems.front());
}

QWidget* TForm1::controlFor(scriptgen::Setting setting) const
{
    for (const zestrel::SettingsPage* page : pages_)
        if (QWidget* control = page->controlFor(setting))
            return control;
    return scriptSetup_->fieldList();
}

void TForm1::ToolButton3Click()
{
    Guard([this] {
        if (!document_->compiled()) {
            zestrel::MessageBoxes::information(
                zestrel::ApplicationTitle(), QStringLiteral("Compile script before saving!"));
            return;
        }
        const QString chosen = scriptDialog_->execute(this);
        if (chosen.isEmpty())
            return;
        try {
            document_->saveScript(chosen);
        } catch (const zestrel::SaveError& error) {
            zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
                QStringLiteral("Cannot save the script to \"%1\": %2.\n\nThe script stays compiled: choose another "
                               "name or folder, or mend the cause, and save it again.")
                    .arg(Shown(error.path()), error.reason()));
        }
    });
}

void TForm1::NewScript1Click()
{
    Guard([this] {
        if (!maybeSaveChanges())
            return;
        for (zestrel::SettingsPage* page : pages_) {
            page->clearForNewScript();
            page->askToTypeAgain({});
        }
        fieldVariables_->setStringList({});
        showPage(scriptSetup_);
        document_->clear();
    });
}

void TForm1::Exit1Click()
{
    Guard([this] { close(); });
}

void TForm1::ScriptSetup1Click()
{
    Guard([this] { showPage(scriptSetup_); });
}

void TForm1::EmailVariables1Click()
{
    Guard([this] { showPage(emailVariables_); });
}

void TForm1::DatabaseRecords1Click()
{
    Guard([this] { showPage(databaseRecords_); });
}

void TForm1::ViewDatabaseRecords1Click()
{
    Guard([this] { showPage(viewDatabaseRecords_); });
}

void TForm1::AlterDatabaseRecords1Click()
{
    Guard([this] { showPage(alterDatabaseTables_); });
}

void TForm1::ToolButton5Click()
{
    Guard([this] { ShowHelp(this); });
}

void TForm1::HelpContents1Click()
{
    Guard([this] { ShowHelp(this); });
}

void TForm1::ToolButton6Click()
{
    Guard([this] { zestrel::OpenWebSiteOrShowAddress(this); });
}

void TForm1::VORTEQOnline1Click()
{
    Guard([this] { zestrel::OpenWebSiteOrShowAddress(this); });
}

void TForm1::About1Click()
{
    Guard([this] { ShowAbout(this); });
}

// Reading the field list from a form.

void TForm1::Button1Click()
{
    Guard([this] {
        const QString path = formDialog_->execute(this);
        if (!path.isEmpty())
            readForm(path);
    });
}

void TForm1::openDroppedFile(const QString& path)
{
    Guard([this, &path] {
        if (!path.endsWith(QLatin1String(zestrel::kSettingsSuffix), Qt::CaseInsensitive))
            readForm(path);
        else if (maybeSaveChanges())
            OpenSettingsFile(path);
    });
}

void TForm1::readForm(const QString& path)
{
    const std::optional<zestrel::FormRead> read = zestrel::ReadFormPage(path, this);
    if (!read)
        return;
    QString report = read->report;
    if (!read->form.fields.empty()) {
        // The mail list is rebuilt from the new field list: the fields that
        // stay keep their ticks.
        const QStringList ticked = emailVariables_->tickedEntries();
        zestrel::ReplaceLines(scriptSetup_->fieldList(), read->form.fields);
        report += zestrel::TicksKept(ticked, emailVariables_->tickAgain(ticked));
        scriptSetup_->setFieldRules(read->form.rules);
        if (!read->script.isEmpty())
            scriptDialog_->propose(read->script);
    }
    zestrel::MessageBoxes::information(zestrel::ApplicationTitle(), report);
}

// Settings files.

void TForm1::OpenSettings1Click()
{
    Guard([this] {
        if (!maybeSaveChanges())
            return;
        const QString& open = document_->settingsFile();
        const QString path = settingsDialog_->chooseToOpen(this, open.isEmpty() ? DocumentsFolder() : open);
        if (!path.isEmpty())
            OpenSettingsFile(path);
    });
}

void TForm1::OpenSettingsFile(const QString& path)
{
    Guard([this, &path] {
        zestrel::OpenedSettings opened;
        try {
            opened = document_->read(path);
        } catch (const zestrel::SettingsFileError& error) {
            zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
                QStringLiteral("Cannot open \"%1\": %2.\n\nThe window keeps the settings it had.")
                    .arg(Shown(path), error.reason()));
            return;
        }
        for (zestrel::SettingsPage* page : pages_)
            page->showSettings(opened.settings);
        showPage(scriptSetup_);
        document_->opened(path, CurrentSettings());
        showPlaces(opened.places);
        // The caption names the file; the boxes to type again say so
        // themselves. Only what the file held and this version cannot keep
        // is worth a box.
        for (zestrel::SettingsPage* page : pages_)
            page->askToTypeAgain(PasswordsToType(opened.settings));
        if (!opened.leftOut.isEmpty())
            zestrel::MessageBoxes::information(zestrel::ApplicationTitle(),
                QStringLiteral("Opened %1.\n\nLeft out, as this version of the program does not know them: %2.")
                    .arg(QFileInfo(path).fileName(), opened.leftOut.join(QStringLiteral(", "))));
    });
}

// The dialogs open where the work's files were, when they are still there.
void TForm1::showPlaces(const zestrel::FilePlaces& places)
{
    const QFileInfo script(places.script);
    if (!places.script.isEmpty() && script.dir().exists())
        scriptDialog_->propose(places.script);
    if (!places.form.isEmpty() && QFileInfo(places.form).isFile())
        formDialog_->propose(places.form);
}

void TForm1::SaveSettings1Click()
{
    Guard([this] {
        if (document_->settingsFile().isEmpty())
            SaveSettingsAs1Click();
        else
            saveSettingsTo(document_->settingsFile(), false);
    });
}

void TForm1::SaveSettingsAs1Click()
{
    Guard([this] {
        const QString& open = document_->settingsFile();
        const QString chosen = settingsDialog_->chooseToSave(
            this, open.isEmpty() ? ProposedSettingsFile(formDialog_->fileName(), scriptDialog_->fileName()) : open);
        if (!chosen.isEmpty())
            saveSettingsTo(zestrel::WithSuffix(chosen, QLatin1String(zestrel::kSettingsSuffix)), true);
    });
}

bool TForm1::saveSettingsTo(const QString& name, bool askBeforeReplacing)
{
    try {
        return document_->save(
            name, CurrentSettings(), {scriptDialog_->fileName(), formDialog_->fileName()}, askBeforeReplacing);
    } catch (const zestrel::SaveError& error) {
        zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
            QStringLiteral("Cannot save the settings to \"%1\": %2.\n\nThe window keeps your settings: choose another "
                           "name or folder, or mend the cause, and save them again.")
                .arg(Shown(error.path()), error.reason()));
        return false;
    }
}

void TForm1::showSettingsFile()
{
    const QString& path = document_->settingsFile();
    // "[*]" is where Qt shows the modified mark.
    setWindowTitle(path.isEmpty() ? kCaption : QFileInfo(path).fileName() + QStringLiteral("[*] - ") + kCaption);
    setWindowModified(false);
    listRecentSettings();
}

void TForm1::scheduleModifiedUpdate()
{
    // Opening a file or typing changes many controls at once: the settings
    // are compared once, when the changes are done.
    if (document_->settingsFile().isEmpty() || modifiedUpdatePending_)
        return;
    modifiedUpdatePending_ = true;
    QTimer::singleShot(0, this, [this] {
        modifiedUpdatePending_ = false;
        updateModified();
    });
}

void TForm1::updateModified()
{
    setWindowModified(document_->differsFromFile(CurrentSettings()));
}

bool TForm1::maybeSaveChanges()
{
    updateModified();
    if (!isWindowModified())
        return true;
    const QString name = QFileInfo(document_->settingsFile()).fileName();
    switch (zestrel::MessageBoxes::askToSave(
        zestrel::ApplicationTitle(), QStringLiteral("Save the changes to %1?").arg(name))) {
    case QMessageBox::Save:
        return saveSettingsTo(document_->settingsFile(), false);
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TForm1::listRecentSettings()
{
    QMenu* recent = commands_.recentSettings;
    recent->clear();
    const QStringList files = zestrel::Document::recentFiles();
    for (qsizetype i = 0; i < files.size(); ++i) {
        QString caption = Shown(files[i]);
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(caption));
        item->setObjectName(QStringLiteral("RecentSettingsFile%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, file = files[i]] { openRecentSettings(file); });
    }
    recent->setEnabled(!files.isEmpty());
}

void TForm1::openRecentSettings(const QString& path)
{
    Guard([this, &path] {
        const QFileInfo file(path);
        if (file.exists() || file.isSymLink()) {
            if (maybeSaveChanges())
                OpenSettingsFile(path);
            return;
        }
        zestrel::Document::forgetRecent(path);
        listRecentSettings();
        zestrel::MessageBoxes::warning(zestrel::ApplicationTitle(),
            QStringLiteral("\"%1\" is no longer there: it was moved, renamed or deleted. It is taken off Recent "
                           "Settings; open it with Open Settings... where it is now.")
                .arg(Shown(path)));
    });
}
