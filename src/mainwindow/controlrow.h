#pragma once

#include "scriptgen/settings.h"

#include <QRect>
#include <QString>

#include <optional>
#include <span>

namespace zestrel {

// What a row of a page makes.
enum class ControlKind {
    Group, // a group box; its caption is the title
    Label, // a text of its own
    Edit, // a one-line box
    SecretEdit, // a one-line box that hides what is typed
    LabeledEdit, // a one-line box with its caption above it
    Memo, // a multi-line box
    ScrolledMemo, // a multi-line box with a scroll bar
    Picker, // an editable list of the form's fields
    Check, // a check box; its caption is its text
    Button, // a push button
    Custom, // made by the page itself: the mail list, the grid
};

// What New Script does to a box.
enum class OnNewScript { Empty, Keep };

// One control of a page, declared once: what it is, where it stands and what
// it says, the setting it shows and the switch that enables it. The page
// makes the control from its row, reads, shows and clears the setting, and
// takes the focus through the controls in the order of the rows; messages
// about the setting name it by its caption.
struct ControlRow {
    ControlKind kind = ControlKind::Label;
    const char* name = nullptr; // the objectName
    const char* parent = nullptr; // the group box it stands in; none: the page
    QRect bounds = {};
    const char* caption = ""; // what it says; for a box or a list, the text of the label before it
    const char* label = nullptr; // the label that shows a box's caption, named
    QRect labelBounds = {};
    std::optional<scriptgen::Setting> setting = {};
    std::optional<scriptgen::Setting> alsoShows = {}; // a second setting the control edits
    const char* governor = nullptr; // the switch that enables it; none: always enabled
    const char* text = ""; // what a box shows at start
    OnNewScript onNewScript = OnNewScript::Empty;
    const char* named = nullptr; // how messages name it, where its caption alone does not say
    const char* tip = nullptr;
    const char* does = nullptr; // what a button does, for a screen reader
    bool fillsFromFields = false; // a list of columns: its menu can fill it from the field list
};

// A tab page as rows, in the order the keyboard focus takes the controls.
struct PageLayout {
    const char* name; // the objectName
    const char* title; // the tab's caption
    std::span<const ControlRow> rows;
};

// The pages of the main window, in the order of their tabs.
std::span<const PageLayout> WindowLayout();

// How messages name the control of a setting: its caption without the colon
// or dots after it, else the title of its group; where two controls of the
// window have the same caption, their group's title follows in parentheses.
QString SettingName(scriptgen::Setting setting);

// The name a screen reader says for a row's control: the setting's name as
// messages give it, else the caption; distinct within its page.
QString AccessibleName(const PageLayout& page, const ControlRow& row);

// The title of the page that shows the setting.
QString PageOf(scriptgen::Setting setting);

} // namespace zestrel
