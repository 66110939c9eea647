#include "mainwindow/viewdatabaserecordspage.h"

#include "mainwindow/guard.h"
#include "scriptgen/safe/check.h"

#include <QCheckBox>

namespace zestrel {

namespace {

using enum ControlKind;
using scriptgen::Setting;

const ControlRow kRows[] = {
    {.kind = Group, .name = "GroupBox8", .bounds = {8, 32, 505, 137}, .caption = "Display All Records"},
    {.kind = Group, .name = "GroupBox9", .bounds = {8, 200, 505, 177}, .caption = "Display Specific Records"},
    {.kind = Edit,
        .name = "Edit10",
        .parent = "GroupBox8",
        .bounds = {112, 24, 217, 21},
        .caption = "Display from Table:",
        .label = "Label15",
        .labelBounds = {8, 32, 90, 13},
        .setting = Setting::DisplayAllTable,
        .governor = "CheckBox4"},
    {.kind = Memo,
        .name = "Memo3",
        .parent = "GroupBox8",
        .bounds = {112, 56, 217, 73},
        .caption = "Fields to display:",
        .label = "Label16",
        .labelBounds = {16, 80, 77, 13},
        .setting = Setting::DisplayAllFields,
        .governor = "CheckBox4",
        .fillsFromFields = true},
    {.kind = Edit,
        .name = "Edit11",
        .parent = "GroupBox9",
        .bounds = {120, 24, 217, 21},
        .caption = "Display from Table:",
        .label = "Label17",
        .labelBounds = {16, 32, 90, 13},
        .setting = Setting::DisplaySpecificTable,
        .governor = "CheckBox5"},
    {.kind = Edit,
        .name = "Edit12",
        .parent = "GroupBox9",
        .bounds = {120, 56, 121, 21},
        .caption = "Where Field:",
        .label = "Label18",
        .labelBounds = {48, 64, 60, 13},
        .setting = Setting::WhereField,
        .governor = "CheckBox5",
        .text = scriptgen::kWhereFieldExample},
    {.kind = Picker,
        .name = "ComboBox2",
        .parent = "GroupBox9",
        .bounds = {264, 56, 145, 21},
        .caption = "=",
        .label = "Label19",
        .labelBounds = {248, 56, 6, 13},
        .setting = Setting::WhereValue,
        .governor = "CheckBox5",
        .text = scriptgen::kWhereValueExample,
        .named = "the value after \"=\""},
    {.kind = Memo,
        .name = "Memo4",
        .parent = "GroupBox9",
        .bounds = {120, 88, 217, 73},
        .caption = "Fields To Display:",
        .label = "Label20",
        .labelBounds = {24, 112, 83, 13},
        .setting = Setting::DisplaySpecificFields,
        .governor = "CheckBox5",
        .fillsFromFields = true},
    {.kind = Check,
        .name = "CheckBox4",
        .bounds = {8, 8, 145, 17},
        .caption = "Display All Records",
        .setting = Setting::DisplayAll},
    {.kind = Check,
        .name = "CheckBox5",
        .bounds = {8, 176, 161, 17},
        .caption = "Display Specific Records",
        .setting = Setting::DisplaySpecific},
    // Asked of the safe script only.
    {.kind = Check,
        .name = "CheckBox9",
        .bounds = {336, 8, 169, 17},
        .caption = "Anyone may view the records",
        .setting = Setting::RecordsPublic,
        .governor = "CheckBox8",
        .tip = "Let the safe script show the records to every visitor, as a guest book does. Unticked, only you see "
               "them, signed in as owner with the owner password."},
};

const PageLayout kLayout{"TabSheet4", "View Database Records", kRows};

} // namespace

const PageLayout& ViewDatabaseRecordsPage::Layout()
{
    return kLayout;
}

ViewDatabaseRecordsPage::ViewDatabaseRecordsPage(const PageParts& parts, QWidget* parent)
    : SettingsPage(kLayout, parts, parent)
{
    connect(control<QCheckBox>("CheckBox4"), &QCheckBox::toggled, this, &ViewDatabaseRecordsPage::CheckBox4Click);
    connect(control<QCheckBox>("CheckBox5"), &QCheckBox::toggled, this, &ViewDatabaseRecordsPage::CheckBox5Click);
}

void ViewDatabaseRecordsPage::CheckBox4Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox4")); });
}

void ViewDatabaseRecordsPage::CheckBox5Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox5")); });
}

} // namespace zestrel
