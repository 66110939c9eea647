#include "mainwindow/emailvariablespage.h"

#include "mainwindow/checklistbox.h"
#include "mainwindow/guard.h"
#include "mainwindow/widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace zestrel {

namespace {

using enum ControlKind;
using scriptgen::ScriptSettings;
using scriptgen::Setting;

const ControlRow kRows[] = {
    {.kind = Group, .name = "GroupBox5", .bounds = {8, 32, 497, 129}, .caption = "Email Properties"},
    {.kind = Group, .name = "GroupBox4", .bounds = {8, 168, 497, 129}, .caption = "Select variables to email"},
    {.kind = Group, .name = "GroupBox6", .bounds = {8, 304, 497, 65}, .caption = "Result Pages"},
    {.kind = Custom,
        .name = "CheckListBox1",
        .parent = "GroupBox4",
        .bounds = {8, 24, 401, 97},
        .setting = Setting::MailVariables,
        .governor = "CheckBox2"},
    {.kind = Edit,
        .name = "Edit6",
        .parent = "GroupBox5",
        .bounds = {96, 24, 209, 21},
        .caption = "Recipient's email:",
        .label = "Label9",
        .labelBounds = {8, 32, 82, 13},
        .setting = Setting::Recipient,
        .governor = "CheckBox2",
        .text = "you@example.com"},
    {.kind = Edit,
        .name = "Edit7",
        .parent = "GroupBox5",
        .bounds = {96, 56, 209, 21},
        .caption = " Subject:",
        .label = "Label10",
        .labelBounds = {48, 64, 42, 13},
        .setting = Setting::Subject,
        .governor = "CheckBox2"},
    {.kind = Edit,
        .name = "Edit8",
        .parent = "GroupBox5",
        .bounds = {96, 88, 209, 21},
        .caption = "From:",
        .label = "Label11",
        .labelBounds = {64, 96, 26, 13},
        .setting = Setting::Sender,
        .governor = "CheckBox2"},
    // The mail server is the site's, not the script's: New Script keeps it.
    {.kind = Button,
        .name = "Button3",
        .parent = "GroupBox5",
        .bounds = {320, 86, 97, 25},
        .caption = "Mail Server...",
        .setting = Setting::MailServer,
        .alsoShows = Setting::MailFrom,
        .governor = "CheckBox2",
        .does = "Sets how the safe script sends its mail: through your mail server, or by PHP's mail()"},
    // How mail will go, as the dialog "Mail Server" left it.
    {.kind = Label, .name = "Label27", .parent = "GroupBox5", .bounds = {96, 112, 393, 13}},
    {.kind = LabeledEdit,
        .name = "LabeledEdit1",
        .parent = "GroupBox6",
        .bounds = {8, 32, 225, 21},
        .caption = "Success Page:",
        .setting = Setting::SuccessPage,
        .governor = "CheckBox2",
        .text = "http://",
        .onNewScript = OnNewScript::Keep},
    {.kind = LabeledEdit,
        .name = "LabeledEdit2",
        .parent = "GroupBox6",
        .bounds = {248, 32, 241, 21},
        .caption = "Failure Page:",
        .setting = Setting::FailurePage,
        .governor = "CheckBox2",
        .text = "http://",
        .onNewScript = OnNewScript::Keep},
    {.kind = Check,
        .name = "CheckBox2",
        .bounds = {8, 8, 177, 17},
        .caption = "Send variables via email",
        .setting = Setting::SendMail},
};

const PageLayout kLayout{"TabSheet2", "Email Variables", kRows};

QWidget* MakeCheckList(QWidget* parent)
{
    auto* list = new CheckListBox(parent);
    list->setModel(new CheckListModel(list));
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

// How the safe script will send its mail, in the words of the Mail Server
// dialog; classic scripts always use PHP's mail(), as the dialog says.
QString MailWay(const MailDelivery& delivery)
{
    if (!delivery.smtp)
        return QStringLiteral("Mail goes through PHP's mail().");
    const scriptgen::SmtpServer& smtp = *delivery.smtp;
    if (smtp.host.empty())
        return QStringLiteral("Safe scripts send mail through a mail server: give its host in Mail Server...");
    using Security = scriptgen::SmtpServer::Security;
    const QString security = smtp.security == Security::StartTls ? QStringLiteral("with STARTTLS")
        : smtp.security == Security::Tls                         ? QStringLiteral("with TLS")
                                                                 : QStringLiteral("without encryption");
    return QStringLiteral("Safe scripts send mail through %1:%2 %3.")
        .arg(QString::fromStdString(smtp.host))
        .arg(smtp.port)
        .arg(security);
}

} // namespace

const PageLayout& EmailVariablesPage::Layout()
{
    return kLayout;
}

EmailVariablesPage::EmailVariablesPage(const PageParts& parts, QWidget* parent)
    : SettingsPage(
          kLayout, {parts.fieldVariables, [](const ControlRow&, QWidget* in) { return MakeCheckList(in); }}, parent),
      ticks_(qobject_cast<CheckListModel*>(control<QListView>("CheckListBox1")->model()))
{
    CheckListModel* const ticks = ticks_;
    bind(Setting::MailVariables,
        {[ticks](ScriptSettings& s) {
             const QStringList& entries = ticks->entries();
             s.mailVariables.clear();
             s.mailVariables.reserve(static_cast<std::size_t>(entries.size()));
             int row = 0;
             for (const QString& entry : entries)
                 s.mailVariables.push_back({entry.toStdString(), ticks->isChecked(row++)});
         },
            // The entries follow the field list; only the ticks are shown here.
            [ticks](const ScriptSettings& s) {
                for (std::size_t i = 0; i < s.mailVariables.size(); ++i)
                    ticks->setChecked(static_cast<int>(i), s.mailVariables[i].checked);
            },
            [ticks] { ticks->setEntries({}); }});
    bind(Setting::MailServer,
        {[this](ScriptSettings& s) {
             s.smtp = delivery_.smtp;
             s.mailFrom = delivery_.from;
         },
            [this](const ScriptSettings& s) {
                delivery_ = {s.smtp, s.mailFrom};
                showMailWay();
            },
            nullptr});
    showMailWay();
    connect(control<QCheckBox>("CheckBox2"), &QCheckBox::toggled, this, &EmailVariablesPage::CheckBox2Click);
    connect(control<QPushButton>("Button3"), &QPushButton::clicked, this, &EmailVariablesPage::Button3Click);
}

void EmailVariablesPage::setMailEntries(const QStringList& entries)
{
    ticks_->setEntries(entries);
}

QStringList EmailVariablesPage::tickedEntries() const
{
    QStringList ticked;
    const QStringList& entries = ticks_->entries();
    for (int row = 0; row < entries.size(); ++row)
        if (ticks_->isChecked(row))
            ticked.append(entries[row]);
    return ticked;
}

QStringList EmailVariablesPage::tickAgain(const QStringList& ticked)
{
    QStringList dropped;
    const QStringList& entries = ticks_->entries();
    for (const QString& entry : ticked) {
        const qsizetype row = entries.indexOf(entry);
        if (row < 0)
            dropped.append(entry);
        else
            ticks_->setChecked(static_cast<int>(row), true);
    }
    return dropped;
}

void EmailVariablesPage::showMailWay()
{
    auto* way = control<QLabel>("Label27");
    way->setText(MailWay(delivery_));
    way->setToolTip(way->text()); // whole, where a long host name is cut
}

void EmailVariablesPage::CheckBox2Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox2")); });
}

void EmailVariablesPage::Button3Click()
{
    Guard([this] {
        MailServerDialog dialog(delivery_, this);
        if (dialog.exec() == QDialog::Accepted) {
            delivery_ = dialog.delivery();
            showMailWay();
            emit edited();
        }
    });
}

} // namespace zestrel
