#include "mainwindow/emailvariablespage.h"

#include "mainwindow/checklistbox.h"
#include "mainwindow/controls.h"
#include "mainwindow/guard.h"
#include "mainwindow/widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace zestrel {

EmailVariablesPage::EmailVariablesPage(QWidget* parent) : SettingsPage("TabSheet2", parent)
{
    using scriptgen::ScriptSettings;
    using scriptgen::Setting;

    CheckBox2 = AddCheckBox(this, "CheckBox2", {8, 8, 177, 17}, QStringLiteral("Send variables via email"));

    auto* GroupBox5 = AddGroupBox(this, "GroupBox5", {8, 32, 497, 129}, QStringLiteral("Email Properties"));
    AddLabel(GroupBox5, "Label9", {8, 32, 82, 13}, QStringLiteral("Recipient's email:"));
    Edit6 = AddEdit(GroupBox5, "Edit6", {96, 24, 209, 21}, QStringLiteral("you@example.com"));
    AddLabel(GroupBox5, "Label10", {48, 64, 42, 13}, QStringLiteral(" Subject:"));
    Edit7 = AddEdit(GroupBox5, "Edit7", {96, 56, 209, 21});
    AddLabel(GroupBox5, "Label11", {64, 96, 26, 13}, QStringLiteral("From:"));
    Edit8 = AddEdit(GroupBox5, "Edit8", {96, 88, 209, 21});
    Button3 = Place(new QPushButton(QStringLiteral("Mail Server..."), GroupBox5), "Button3", {320, 86, 97, 25});

    auto* GroupBox4 = AddGroupBox(this, "GroupBox4", {8, 168, 497, 129}, QStringLiteral("Select variables to email"));
    checkListModel_ = new CheckListModel(this);
    CheckListBox1 = Place(new CheckListBox(GroupBox4), "CheckListBox1", {8, 24, 401, 97});
    CheckListBox1->setModel(checkListModel_);
    CheckListBox1->setUniformItemSizes(true);
    CheckListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* GroupBox6 = AddGroupBox(this, "GroupBox6", {8, 304, 497, 65}, QStringLiteral("Result Pages"));
    LabeledEdit1 = new LabeledEdit(QStringLiteral("Success Page:"), GroupBox6);
    Place(LabeledEdit1, "LabeledEdit1", {8, 32, 225, 21})->setText(QStringLiteral("http://"));
    LabeledEdit2 = new LabeledEdit(QStringLiteral("Failure Page:"), GroupBox6);
    Place(LabeledEdit2, "LabeledEdit2", {248, 32, 241, 21})->setText(QStringLiteral("http://"));

    CheckListModel* const ticks = checkListModel_;
    setControls({
        {CheckListBox1, Setting::MailVariables, CheckBox2,
            [ticks](ScriptSettings& s) {
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
            [ticks] { ticks->setEntries({}); }},
        Bind(Edit6, &ScriptSettings::recipient, Setting::Recipient, CheckBox2),
        Bind(Edit7, &ScriptSettings::subject, Setting::Subject, CheckBox2),
        Bind(Edit8, &ScriptSettings::sender, Setting::Sender, CheckBox2),
        // The mail server is the site's, not the script's: New Script keeps it.
        {Button3, Setting::MailServer, CheckBox2,
            [this](ScriptSettings& s) {
                s.smtp = delivery_.smtp;
                s.mailFrom = delivery_.from;
            },
            [this](const ScriptSettings& s) {
                delivery_ = {s.smtp, s.mailFrom};
            },
            nullptr},
        Bind(LabeledEdit1, &ScriptSettings::successPage, Setting::SuccessPage, CheckBox2, OnNewScript::Keep),
        Bind(LabeledEdit2, &ScriptSettings::failurePage, Setting::FailurePage, CheckBox2, OnNewScript::Keep),
        Bind(CheckBox2, &ScriptSettings::sendMail, Setting::SendMail),
    });
    connect(CheckBox2, &QCheckBox::clicked, this, &EmailVariablesPage::CheckBox2Click);
    connect(Button3, &QPushButton::clicked, this, &EmailVariablesPage::Button3Click);
}

void EmailVariablesPage::setMailEntries(const QStringList& entries)
{
    checkListModel_->setEntries(entries);
}

void EmailVariablesPage::CheckBox2Click()
{
    Guard([this] { applySwitch(CheckBox2); });
}

void EmailVariablesPage::Button3Click()
{
    Guard([this] {
        MailServerDialog dialog(delivery_, this);
        if (dialog.exec() == QDialog::Accepted)
            delivery_ = dialog.delivery();
    });
}

} // namespace zestrel
