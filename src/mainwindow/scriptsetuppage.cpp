#include "mainwindow/scriptsetuppage.h"

#include "core/fieldrulesmodel.h"
#include "mainwindow/controls.h"
#include "mainwindow/fieldrulesdialog.h"
#include "mainwindow/guard.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace zestrel {

namespace {

using enum ControlKind;
using scriptgen::Setting;

const QColor kMaroon(0x80, 0x00, 0x00);

const ControlRow kRows[] = {
    {.kind = Group, .name = "GroupBox1", .bounds = {8, 16, 513, 153}, .caption = "Enter Variables"},
    {.kind = Group, .name = "GroupBox3", .bounds = {8, 224, 513, 57}, .caption = "MySql Connection"},
    {.kind = Group, .name = "GroupBox2", .bounds = {8, 296, 513, 57}, .caption = "Database"},
    {.kind = Label, .name = "Label1", .parent = "GroupBox1", .bounds = {24, 24, 42, 13}, .caption = "example:"},
    {.kind = Label,
        .name = "Label2",
        .parent = "GroupBox1",
        .bounds = {72, 24, 248, 13},
        .caption = "<input name=\"FIELD_NAME\" type=\"text\" value=\"\">"},
    {.kind = Label, .name = "Label3", .parent = "GroupBox1", .bounds = {328, 24, 50, 13}, .caption = "Variable = "},
    {.kind = Label, .name = "Label4", .parent = "GroupBox1", .bounds = {384, 24, 78, 13}, .caption = "FIELD_NAME"},
    {.kind = ScrolledMemo,
        .name = "Memo1",
        .parent = "GroupBox1",
        .bounds = {24, 48, 321, 81},
        .setting = Setting::FieldList},
    {.kind = Button,
        .name = "Button1",
        .parent = "GroupBox1",
        .bounds = {360, 48, 89, 25},
        .caption = "Read Form...",
        .does = "Fills the field list and the field rules from your form's web page"},
    {.kind = Button,
        .name = "Button2",
        .parent = "GroupBox1",
        .bounds = {360, 80, 89, 25},
        .caption = "Field Rules...",
        .setting = Setting::FieldRules,
        .does = "Shows and edits what the form asks of each field: label, type, lengths, pattern and choices"},
    {.kind = LabeledEdit,
        .name = "LabeledEdit3",
        .parent = "GroupBox1",
        .bounds = {360, 128, 145, 21},
        .caption = "Upload folder:",
        .setting = Setting::UploadFolder,
        .governor = "CheckBox8",
        .tip = "The folder on your server where the safe script keeps the files your form sends, as a full path such "
               "as /home/site/uploads. Choose one outside the site's web folder, so that nobody can fetch the files "
               "from the web; the script creates it when it can."},
    {.kind = Edit,
        .name = "Edit4",
        .parent = "GroupBox2",
        .bounds = {224, 24, 145, 21},
        .caption = "Database Name:",
        .label = "Label8",
        .labelBounds = {136, 32, 80, 13},
        .setting = Setting::Database,
        .governor = "CheckBox1"},
    {.kind = Edit,
        .name = "Edit1",
        .parent = "GroupBox3",
        .bounds = {40, 24, 89, 21},
        .caption = "Host:",
        .label = "Label5",
        .labelBounds = {8, 32, 25, 13},
        .setting = Setting::Host,
        .governor = "CheckBox1",
        .text = "localhost"},
    {.kind = Edit,
        .name = "Edit2",
        .parent = "GroupBox3",
        .bounds = {200, 24, 121, 21},
        .caption = "Username:",
        .label = "Label6",
        .labelBounds = {144, 32, 51, 13},
        .setting = Setting::UserName,
        .governor = "CheckBox1"},
    {.kind = Edit,
        .name = "Edit3",
        .parent = "GroupBox3",
        .bounds = {384, 24, 121, 21},
        .caption = "Password:",
        .label = "Label7",
        .labelBounds = {328, 32, 49, 13},
        .setting = Setting::Password,
        .governor = "CheckBox1"},
    {.kind = Check,
        .name = "CheckBox1",
        .bounds = {8, 192, 137, 17},
        .caption = "Use a MySql Database",
        .setting = Setting::UseDatabase},
    {.kind = Edit,
        .name = "Edit17",
        .bounds = {312, 190, 201, 21},
        .caption = "Page template:",
        .label = "Label26",
        .labelBounds = {232, 194, 74, 13},
        .setting = Setting::TemplatePage,
        .governor = "CheckBox8",
        .tip = "A page of your site, such as template.html beside the script, in which the safe script shows its "
               "own pages: it puts them where the page holds <!-- zestrel -->, so your site's header and footer "
               "surround them. Leave it empty for the script's own plain page."},
    {.kind = Check,
        .name = "CheckBox8",
        .bounds = {8, 360, 233, 17},
        .caption = "Safe script for PHP 8 (mysqli)",
        .setting = Setting::Target,
        .tip = "Compile a script for PHP 8.1 or later with mysqli that treats everything a visitor sends as data: "
               "prepared statements, escaped pages, mail headers without line breaks, and changes only by a post "
               "from your own site."},
    {.kind = SecretEdit,
        .name = "Edit15",
        .bounds = {344, 358, 169, 21},
        .caption = "Owner password:",
        .label = "Label24",
        .labelBounds = {264, 362, 76, 13},
        .setting = Setting::OwnerPassword,
        .governor = "CheckBox8",
        .tip = "The password of the safe script's pages for you alone: the stored records, and creating or deleting "
               "a table. Sign in there with the user name owner and this password. The script keeps only a salted "
               "hash of it, and settings files never keep it."},
};

const PageLayout kLayout{"TabSheet1", "Script Setup", kRows};

} // namespace

const PageLayout& ScriptSetupPage::Layout()
{
    return kLayout;
}

ScriptSetupPage::ScriptSetupPage(const PageParts& parts, QWidget* parent)
    : SettingsPage(kLayout, parts, parent), rules_(new FieldRulesModel(this))
{
    auto* example = control<QLabel>("Label2");
    example->setTextFormat(Qt::PlainText);
    QPalette maroon = example->palette();
    maroon.setColor(QPalette::WindowText, kMaroon);
    example->setPalette(maroon);
    auto* name = control<QLabel>("Label4");
    name->setPalette(maroon);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);

    rules_->setObjectName(QStringLiteral("FieldRules"));
    bind(Setting::FieldRules,
        {[this](scriptgen::ScriptSettings& s) { s.fieldRules = rules_->rules(); },
            [this](const scriptgen::ScriptSettings& s) { rules_->setRules(s.fieldRules); },
            [this] { rules_->setFields({}); }});
    // The table is reset only with the field list, which says so itself.
    connect(rules_, &QAbstractItemModel::dataChanged, this, &SettingsPage::edited);

    connect(control<QCheckBox>("CheckBox1"), &QCheckBox::toggled, this, &ScriptSetupPage::CheckBox1Click);
    connect(safeSwitch(), &QCheckBox::toggled, this, &ScriptSetupPage::CheckBox8Click);
    connect(control<QPushButton>("Button2"), &QPushButton::clicked, this, &ScriptSetupPage::Button2Click);
    // The rules follow the field list.
    connect(fieldList(), &QPlainTextEdit::textChanged, rules_, [this] { rules_->setFields(MemoLines(fieldList())); });
}

QPlainTextEdit* ScriptSetupPage::fieldList() const
{
    return control<QPlainTextEdit>("Memo1");
}

QPushButton* ScriptSetupPage::readFormButton() const
{
    return control<QPushButton>("Button1");
}

QCheckBox* ScriptSetupPage::safeSwitch() const
{
    return control<QCheckBox>("CheckBox8");
}

void ScriptSetupPage::CheckBox1Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox1")); });
}

void ScriptSetupPage::setFieldRules(const std::vector<scriptgen::FieldRule>& rules)
{
    rules_->setRules(rules);
}

void ScriptSetupPage::Button2Click()
{
    Guard([this] { openFieldRules(0, FieldRulesModel::Field); });
}

void ScriptSetupPage::openFieldRules(int row, int column)
{
    FieldRulesDialog dialog(rules_, this);
    auto* table = dialog.findChild<QTableView*>(QStringLiteral("FieldRulesTable"));
    const QModelIndex cell = rules_->index(row, column);
    if (table && cell.isValid()) {
        table->setCurrentIndex(cell);
        table->scrollTo(cell);
    }
    dialog.exec();
}

void ScriptSetupPage::showRuleProblem(const scriptgen::Problem& problem)
{
    using scriptgen::Issue;
    int row = 0;
    while (row < rules_->rowCount() &&
        rules_->index(row, FieldRulesModel::Field).data().toString().toStdString() != problem.text)
        ++row;
    const auto text = [this, row](int column) { return rules_->index(row, column).data().toString().toStdString(); };
    int column = FieldRulesModel::Label;
    switch (problem.issue) {
    case Issue::PatternSetNotation:
    case Issue::PatternReserved:
    case Issue::PatternUnreadable:
        column = FieldRulesModel::Pattern;
        break;
    case Issue::LengthNotWhole:
        column = problem.detail == text(FieldRulesModel::MinLength) ? FieldRulesModel::MinLength
                                                                    : FieldRulesModel::MaxLength;
        break;
    case Issue::LimitNotWhole:
        column =
            problem.detail == text(FieldRulesModel::MaxBytes) ? FieldRulesModel::MaxBytes : FieldRulesModel::MaxFiles;
        break;
    case Issue::MinAboveMax:
        column = problem.detail == text(FieldRulesModel::MinLength) + "," + text(FieldRulesModel::MaxLength)
            ? FieldRulesModel::MinLength
            : FieldRulesModel::Min;
        break;
    default:
        break;
    }
    openFieldRules(row, column);
}

void ScriptSetupPage::CheckBox8Click()
{
    Guard([this] { applySwitch(safeSwitch()); });
}

} // namespace zestrel
