#include "mainwindow/alterdatabasetablespage.h"

#include "mainwindow/guard.h"

#include <QCheckBox>

namespace zestrel {

namespace {

using enum ControlKind;
using scriptgen::Setting;

const ControlRow kRows[] = {
    {.kind = Group, .name = "GroupBox10", .bounds = {8, 40, 513, 169}, .caption = "New Database Table"},
    {.kind = Group, .name = "GroupBox11", .bounds = {8, 256, 513, 57}, .caption = "Delete Table"},
    {.kind = Edit,
        .name = "Edit13",
        .parent = "GroupBox10",
        .bounds = {88, 24, 209, 21},
        .caption = "Table name:",
        .label = "Label21",
        .labelBounds = {16, 32, 59, 13},
        .setting = Setting::CreateTableName,
        .governor = "CheckBox6"},
    {.kind = ScrolledMemo,
        .name = "Memo6",
        .parent = "GroupBox10",
        .bounds = {88, 64, 209, 89},
        .caption = "Fields:",
        .label = "Label22",
        .labelBounds = {48, 104, 30, 13},
        .setting = Setting::CreateTableFields,
        .governor = "CheckBox6",
        .named = "Fields (New Database Table)",
        .fillsFromFields = true},
    {.kind = Check,
        .name = "CheckBox6",
        .bounds = {8, 8, 161, 17},
        .caption = "Create a new database table",
        .setting = Setting::CreateTable},
    {.kind = Check,
        .name = "CheckBox7",
        .bounds = {8, 224, 153, 17},
        .caption = "Delete an existing Table",
        .setting = Setting::DropTable},
    {.kind = Edit,
        .name = "Edit14",
        .parent = "GroupBox11",
        .bounds = {192, 24, 185, 21},
        .caption = "Table Name:",
        .label = "Label23",
        .labelBounds = {120, 32, 61, 13},
        .setting = Setting::DropTableName,
        .governor = "CheckBox7"},
};

const PageLayout kLayout{"TabSheet5", "Alter Database Tables", kRows};

} // namespace

const PageLayout& AlterDatabaseTablesPage::Layout()
{
    return kLayout;
}

AlterDatabaseTablesPage::AlterDatabaseTablesPage(const PageParts& parts, QWidget* parent)
    : SettingsPage(kLayout, parts, parent)
{
    connect(control<QCheckBox>("CheckBox6"), &QCheckBox::toggled, this, &AlterDatabaseTablesPage::CheckBox6Click);
    connect(control<QCheckBox>("CheckBox7"), &QCheckBox::toggled, this, &AlterDatabaseTablesPage::CheckBox7Click);
}

void AlterDatabaseTablesPage::CheckBox6Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox6")); });
}

void AlterDatabaseTablesPage::CheckBox7Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox7")); });
}

} // namespace zestrel
