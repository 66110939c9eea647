#include "mainwindow/viewdatabaserecordspage.h"

#include "core/checkreport.h"
#include "mainwindow/controls.h"
#include "mainwindow/guard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace zestrel {

ViewDatabaseRecordsPage::ViewDatabaseRecordsPage(
    QAbstractItemModel* fieldVariables, QCheckBox* safeSwitch, QWidget* parent)
    : SettingsPage("TabSheet4", parent)
{
    using scriptgen::ScriptSettings;
    using scriptgen::Setting;

    CheckBox4 = AddCheckBox(this, "CheckBox4", {8, 8, 145, 17}, QStringLiteral("Display All Records"));
    auto* GroupBox8 = AddGroupBox(this, "GroupBox8", {8, 32, 505, 137}, QStringLiteral("Display All Records"));
    AddLabel(GroupBox8, "Label15", {8, 32, 90, 13}, QStringLiteral("Display from Table:"));
    Edit10 = AddEdit(GroupBox8, "Edit10", {112, 24, 217, 21});
    AddLabel(GroupBox8, "Label16", {16, 80, 77, 13}, QStringLiteral("Fields to display:"));
    Memo3 = AddMemo(GroupBox8, "Memo3", {112, 56, 217, 73}, false);

    CheckBox5 = AddCheckBox(this, "CheckBox5", {8, 176, 161, 17}, QStringLiteral("Display Specific Records"));
    auto* GroupBox9 = AddGroupBox(this, "GroupBox9", {8, 200, 505, 177}, QStringLiteral("Display Specific Records"));
    AddLabel(GroupBox9, "Label17", {16, 32, 90, 13}, QStringLiteral("Display from Table:"));
    Edit11 = AddEdit(GroupBox9, "Edit11", {120, 24, 217, 21});
    AddLabel(GroupBox9, "Label18", {48, 64, 60, 13}, QStringLiteral("Where Field:"));
    Edit12 = AddEdit(GroupBox9, "Edit12", {120, 56, 121, 21}, QString::fromUtf8(kWhereFieldExample));
    AddLabel(GroupBox9, "Label19", {248, 56, 6, 13}, QStringLiteral("="));
    ComboBox2 =
        AddComboBox(GroupBox9, "ComboBox2", {264, 56, 145, 21}, QString::fromUtf8(kWhereValueExample), fieldVariables);
    AddLabel(GroupBox9, "Label20", {24, 112, 83, 13}, QStringLiteral("Fields To Display:"));
    Memo4 = AddMemo(GroupBox9, "Memo4", {120, 88, 217, 73}, false);
    CheckBox9 = AddCheckBox(this, "CheckBox9", {336, 8, 169, 17}, QStringLiteral("Anyone may view the records"));
    CheckBox9->setToolTip(QStringLiteral(
        "Let the safe script show the records to every visitor, as a guest book does. Unticked, only you see them, "
        "signed in as owner with the owner password."));

    setControls({
        Bind(Edit10, &ScriptSettings::displayAllTable, Setting::DisplayAllTable, CheckBox4),
        Bind(Memo3, &ScriptSettings::displayAllFields, Setting::DisplayAllFields, CheckBox4),
        Bind(Edit11, &ScriptSettings::displaySpecificTable, Setting::DisplaySpecificTable, CheckBox5),
        Bind(Edit12, &ScriptSettings::whereField, Setting::WhereField, CheckBox5),
        Bind(ComboBox2, &ScriptSettings::whereValue, Setting::WhereValue, CheckBox5),
        Bind(Memo4, &ScriptSettings::displaySpecificFields, Setting::DisplaySpecificFields, CheckBox5),
        Bind(CheckBox4, &ScriptSettings::displayAll, Setting::DisplayAll),
        Bind(CheckBox5, &ScriptSettings::displaySpecific, Setting::DisplaySpecific),
        {CheckBox9, Setting::RecordsPublic, safeSwitch,
            [this](ScriptSettings& s) { s.recordsPublic = CheckBox9->isChecked(); },
            [this](const ScriptSettings& s) { CheckBox9->setChecked(s.recordsPublic); }, {}},
    });
    connect(CheckBox4, &QCheckBox::clicked, this, &ViewDatabaseRecordsPage::CheckBox4Click);
    connect(CheckBox5, &QCheckBox::clicked, this, &ViewDatabaseRecordsPage::CheckBox5Click);
}

void ViewDatabaseRecordsPage::CheckBox4Click()
{
    Guard([this] { applySwitch(CheckBox4); });
}

void ViewDatabaseRecordsPage::CheckBox5Click()
{
    Guard([this] { applySwitch(CheckBox5); });
}

} // namespace zestrel
