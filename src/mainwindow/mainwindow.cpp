#include "mainwindow/mainwindow.h"

#include "about/aboutwindow.h"
#include "core/safefile.h"
#include "core/textrules.h"
#include "help/helpwindow.h"
#include "mainwindow/alterdatabasetablespage.h"
#include "mainwindow/controls.h"
#include "mainwindow/databaserecordspage.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/emailvariablespage.h"
#include "mainwindow/filesaving.h"
#include "mainwindow/guard.h"
#include "mainwindow/onlinecommand.h"
#include "mainwindow/scriptsetuppage.h"
#include "mainwindow/viewdatabaserecordspage.h"
#include "scriptgen/compiler.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

using zestrel::Guard;

namespace {

constexpr int kClientWidth = 537;
constexpr int kClientHeight = 441;

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

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/zestrel.svg")));
    setFont(zestrel::DialogFont());
    SetSettingsFile({});

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);

    SaveDialog1 = new zestrel::SaveDialog(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    settingsDialog_ = new zestrel::SettingsDialog(this);
    fieldVariables_ = new QStringListModel(this);

    BuildToolBar(client);
    PageControl1 = zestrel::Place(new QTabWidget(client), "PageControl1", {0, 32, 537, 409});
    TabSheet1 = new zestrel::ScriptSetupPage(PageControl1);
    TabSheet2 = new zestrel::EmailVariablesPage(PageControl1);
    TabSheet3 = new zestrel::DatabaseRecordsPage(fieldVariables_, PageControl1);
    TabSheet4 = new zestrel::ViewDatabaseRecordsPage(fieldVariables_, TabSheet1->safeSwitch(), PageControl1);
    TabSheet5 = new zestrel::AlterDatabaseTablesPage(PageControl1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Script Setup"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Email Variables"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Database Records"));
    PageControl1->addTab(TabSheet4, QStringLiteral("View Database Records"));
    PageControl1->addTab(TabSheet5, QStringLiteral("Alter Database Tables"));
    pages_ = {TabSheet1, TabSheet2, TabSheet3, TabSheet4, TabSheet5};
    PageControl1->setCurrentWidget(TabSheet1);

    Memo5 = zestrel::AddMemo(client, "Memo5", {0, 424, 537, 9}, false);
    Memo5->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo5->hide();

    BuildMenu();
    SetUpFormReading();
    connect(TabSheet1->fieldList(), &QPlainTextEdit::textChanged, this, &TForm1::Memo1Change);
    connect(TabSheet1->readFormButton(), &QPushButton::clicked, this, &TForm1::Button1Click);
    // The safe switch governs a control of the records' page too.
    connect(TabSheet1->safeSwitch(), &QCheckBox::clicked, TabSheet4, [this] { TabSheet4->applySwitches(); });
    connect(Action1, &QAction::triggered, this, &TForm1::Action1Execute);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TForm1::ToolButton5Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm1::ToolButton6Click);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    move(141, 53);
    // What the user types right after start goes into the field list.
    TabSheet1->fieldList()->setFocus();
}

TForm1::~TForm1() = default;

const zestrel::InsertGrid& TForm1::Grid() const
{
    return TabSheet3->grid();
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

void TForm1::SetBuffer(scriptgen::Lines lines)
{
    buffer_ = std::move(lines);
    QStringList text;
    text.reserve(static_cast<qsizetype>(buffer_.size()));
    for (const std::string& line : buffer_)
        text.append(QString::fromStdString(line));
    Memo5->setPlainText(text.join(QLatin1Char('\n')));
}

void TForm1::ShowPage(QWidget* page)
{
    PageControl1->setCurrentWidget(page);
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
        const QStringList entries = WithDollar(zestrel::MemoLines(TabSheet1->fieldList()));
        TabSheet2->setMailEntries(entries);
        fieldVariables_->setStringList(entries);
    });
}

void TForm1::Action1Execute()
{
    Guard([this] {
        const scriptgen::ScriptSettings settings = CurrentSettings();
        if (!SettingsCompile(settings))
            return;
        SetBuffer(scriptgen::CompileScript(settings));
        zestrel::MessageBoxes::information(zestrel::ApplicationTitle(), QStringLiteral("Script Successfully compiled!"),
            [this] { return Memo5->toPlainText(); });
        scriptCompiled_ = true;
    });
}

void TForm1::ToolButton3Click()
{
    Guard([this] {
        if (!scriptCompiled_) {
            zestrel::MessageBoxes::information(
                zestrel::ApplicationTitle(), QStringLiteral("Compile script before saving!"));
            return;
        }
        const QString chosen = SaveDialog1->execute(this);
        if (chosen.isEmpty())
            return;
        try {
            zestrel::SaveAskingBeforeReplacing(zestrel::ScriptFileName(chosen), zestrel::ScriptBytes(buffer_));
        } catch (const zestrel::SaveError& error) {
            zestrel::MessageBoxes::error(zestrel::ApplicationTitle(),
                QStringLiteral("Cannot save the script to \"%1\": %2.\n\nThe script stays compiled: choose another "
                               "name or folder, or mend the cause, and save it again.")
                    .arg(QDir::toNativeSeparators(error.path()), error.reason()));
        }
    });
}

void TForm1::NewScript1Click()
{
    Guard([this] {
        SetBuffer({});
        for (zestrel::SettingsPage* page : pages_)
            page->clearForNewScript();
        fieldVariables_->setStringList({});
        ShowPage(TabSheet1);
        // The buffer is empty now: saving must wait for the next compile
        // instead of writing an empty file.
        scriptCompiled_ = false;
        SetSettingsFile({});
    });
}

void TForm1::Exit1Click()
{
    Guard([this] { close(); });
}

void TForm1::ScriptSetup1Click()
{
    Guard([this] { ShowPage(TabSheet1); });
}

void TForm1::EmailVariables1Click()
{
    Guard([this] { ShowPage(TabSheet2); });
}

void TForm1::DatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet3); });
}

void TForm1::ViewDatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet4); });
}

void TForm1::AlterDatabaseRecords1Click()
{
    Guard([this] { ShowPage(TabSheet5); });
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
