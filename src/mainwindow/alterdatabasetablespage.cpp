#include "mainwindow/alterdatabasetablespage.h"

#include "mainwindow/controls.h"
#include "mainwindow/guard.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace zestrel {

AlterDatabaseTablesPage::AlterDatabaseTablesPage(QWidget* parent) : SettingsPage("TabSheet5", parent)
{
    using scriptgen::ScriptSettings;
    using scriptgen::Setting;

    CheckBox6 = AddCheckBox(this, "CheckBox6", {8, 8, 161, 17}, QStringLiteral("Create a new database table"));
    auto* GroupBox10 = AddGroupBox(this, "GroupBox10", {8, 40, 513, 169}, QStringLiteral("New Database Table"));
    AddLabel(GroupBox10, "Label21", {16, 32, 59, 13}, QStringLiteral("Table name:"));
    Edit13 = AddEdit(GroupBox10, "Edit13", {88, 24, 209, 21});
    AddLabel(GroupBox10, "Label22", {48, 104, 30, 13}, QStringLiteral("Fields:"));
    Memo6 = AddMemo(GroupBox10, "Memo6", {88, 64, 209, 89}, true);

    CheckBox7 = AddCheckBox(this, "CheckBox7", {8, 224, 153, 17}, QStringLiteral("Delete an existing Table"));
    auto* GroupBox11 = AddGroupBox(this, "GroupBox11", {8, 256, 513, 57}, QStringLiteral("Delete Table"));
    AddLabel(GroupBox11, "Label23", {120, 32, 61, 13}, QStringLiteral("Table Name:"));
    Edit14 = AddEdit(GroupBox11, "Edit14", {192, 24, 185, 21});

    setControls({
        Bind(Edit13, &ScriptSettings::createTableName, Setting::CreateTableName, CheckBox6),
        Bind(Memo6, &ScriptSettings::createTableFields, Setting::CreateTableFields, CheckBox6),
        Bind(CheckBox6, &ScriptSettings::createTable, Setting::CreateTable),
        Bind(CheckBox7, &ScriptSettings::dropTable, Setting::DropTable),
        Bind(Edit14, &ScriptSettings::dropTableName, Setting::DropTableName, CheckBox7),
    });
    connect(CheckBox6, &QCheckBox::clicked, this, &AlterDatabaseTablesPage::CheckBox6Click);
    connect(CheckBox7, &QCheckBox::clicked, this, &AlterDatabaseTablesPage::CheckBox7Click);
}

void AlterDatabaseTablesPage::CheckBox6Click()
{
    Guard([this] { applySwitch(CheckBox6); });
}

void AlterDatabaseTablesPage::CheckBox7Click()
{
    Guard([this] { applySwitch(CheckBox7); });
}

} // namespace zestrel
