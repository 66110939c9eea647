#include "mainwindow/scriptsetuppage.h"

#include "core/fieldrulesmodel.h"
#include "mainwindow/controls.h"
#include "mainwindow/fieldrulesdialog.h"
#include "mainwindow/guard.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace zestrel {

namespace {

const QColor kMaroon(0x80, 0x00, 0x00);

} // namespace

ScriptSetupPage::ScriptSetupPage(QWidget* parent) : SettingsPage("TabSheet1", parent)
{
    using scriptgen::ScriptSettings;
    using scriptgen::Setting;

    auto* GroupBox1 = AddGroupBox(this, "GroupBox1", {8, 16, 513, 153}, QStringLiteral("Enter Variables"));
    AddLabel(GroupBox1, "Label1", {24, 24, 42, 13}, QStringLiteral("example:"));
    auto* Label2 = AddLabel(
        GroupBox1, "Label2", {72, 24, 248, 13}, QStringLiteral("<input name=\"FIELD_NAME\" type=\"text\" value=\"\">"));
    Label2->setTextFormat(Qt::PlainText);
    QPalette maroon = Label2->palette();
    maroon.setColor(QPalette::WindowText, kMaroon);
    Label2->setPalette(maroon);
    AddLabel(GroupBox1, "Label3", {328, 24, 50, 13}, QStringLiteral("Variable = "));
    auto* Label4 = AddLabel(GroupBox1, "Label4", {384, 24, 78, 13}, QStringLiteral("FIELD_NAME"));
    Label4->setPalette(maroon);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    Memo1 = AddMemo(GroupBox1, "Memo1", {24, 48, 321, 81}, true);
    Button1 = Place(new QPushButton(QStringLiteral("Read Form..."), GroupBox1), "Button1", {360, 48, 89, 25});
    Button2 = Place(new QPushButton(QStringLiteral("Field Rules..."), GroupBox1), "Button2", {360, 80, 89, 25});
    rules_ = new FieldRulesModel(this);
    rules_->setObjectName(QStringLiteral("FieldRules"));

    CheckBox1 = AddCheckBox(this, "CheckBox1", {8, 192, 137, 17}, QStringLiteral("Use a MySql Database"));

    auto* GroupBox3 = AddGroupBox(this, "GroupBox3", {8, 224, 513, 57}, QStringLiteral("MySql Connection"));
    AddLabel(GroupBox3, "Label5", {8, 32, 25, 13}, QStringLiteral("Host:"));
    Edit1 = AddEdit(GroupBox3, "Edit1", {40, 24, 89, 21}, QStringLiteral("localhost"));
    AddLabel(GroupBox3, "Label6", {144, 32, 51, 13}, QStringLiteral("Username:"));
    Edit2 = AddEdit(GroupBox3, "Edit2", {200, 24, 121, 21});
    AddLabel(GroupBox3, "Label7", {328, 32, 49, 13}, QStringLiteral("Password:"));
    Edit3 = AddEdit(GroupBox3, "Edit3", {384, 24, 121, 21});

    auto* GroupBox2 = AddGroupBox(this, "GroupBox2", {8, 296, 513, 57}, QStringLiteral("Database"));
    AddLabel(GroupBox2, "Label8", {136, 32, 80, 13}, QStringLiteral("Database Name:"));
    Edit4 = AddEdit(GroupBox2, "Edit4", {224, 24, 145, 21});

    CheckBox8 = AddCheckBox(this, "CheckBox8", {8, 360, 233, 17}, QStringLiteral("Safe script for PHP 8 (mysqli)"));
    CheckBox8->setToolTip(QStringLiteral(
        "Compile a script for PHP 8.1 or later with mysqli that treats everything a visitor sends as data: prepared "
        "statements, escaped pages, mail headers without line breaks, and changes only by a post from your own "
        "site."));
    AddLabel(this, "Label24", {264, 362, 76, 13}, QStringLiteral("Owner password:"));
    Edit15 = AddEdit(this, "Edit15", {344, 358, 169, 21});
    Edit15->setEchoMode(QLineEdit::Password);
    Edit15->setToolTip(QStringLiteral(
        "The password of the safe script's pages for you alone: the stored records, and creating or deleting a "
        "table. Sign in there with the user name owner and this password. The script keeps only a salted hash of "
        "it, and settings files never keep it."));

    QCheckBox* const safe = CheckBox8;
    setControls({
        Bind(Memo1, &ScriptSettings::fieldList, Setting::FieldList, nullptr),
        {Button1, {}, nullptr, {}, {}, {}},
        {Button2, Setting::FieldRules, nullptr, [this](ScriptSettings& s) { s.fieldRules = rules_->rules(); },
            [this](const ScriptSettings& s) { rules_->setRules(s.fieldRules); }, [this] { rules_->setFields({}); }},
        Bind(Edit4, &ScriptSettings::database, Setting::Database, CheckBox1),
        Bind(Edit1, &ScriptSettings::host, Setting::Host, CheckBox1),
        Bind(Edit2, &ScriptSettings::userName, Setting::UserName, CheckBox1),
        Bind(Edit3, &ScriptSettings::password, Setting::Password, CheckBox1),
        Bind(CheckBox1, &ScriptSettings::useDatabase, Setting::UseDatabase),
        {CheckBox8, Setting::Target, nullptr,
            [safe](ScriptSettings& s) {
                s.target = safe->isChecked() ? scriptgen::Target::Safe : scriptgen::Target::Classic;
            },
            [safe](const ScriptSettings& s) { safe->setChecked(s.target == scriptgen::Target::Safe); }, {}},
        Bind(Edit15, &ScriptSettings::ownerPassword, Setting::OwnerPassword, CheckBox8),
    });
    connect(CheckBox1, &QCheckBox::clicked, this, &ScriptSetupPage::CheckBox1Click);
    connect(CheckBox8, &QCheckBox::clicked, this, &ScriptSetupPage::CheckBox8Click);
    connect(Button2, &QPushButton::clicked, this, &ScriptSetupPage::Button2Click);
    // The rules follow the field list.
    connect(Memo1, &QPlainTextEdit::textChanged, rules_, [this] { rules_->setFields(MemoLines(Memo1)); });
}

void ScriptSetupPage::CheckBox1Click()
{
    Guard([this] { applySwitch(CheckBox1); });
}

void ScriptSetupPage::setFieldRules(const std::vector<scriptgen::FieldRule>& rules)
{
    rules_->setRules(rules);
}

void ScriptSetupPage::Button2Click()
{
    Guard([this] {
        FieldRulesDialog dialog(rules_, this);
        dialog.exec();
    });
}

void ScriptSetupPage::CheckBox8Click()
{
    Guard([this] { applySwitch(CheckBox8); });
}

} // namespace zestrel
