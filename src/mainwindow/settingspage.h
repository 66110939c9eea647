#pragma once

#include "mainwindow/controlrow.h"
#include "scriptgen/settings.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <vector>

class QAbstractItemModel;
class QCheckBox;

namespace zestrel {

// How a page reads a setting from its control, shows it there and clears it
// for New Script.
struct Binding {
    std::function<void(scriptgen::ScriptSettings&)> read;
    std::function<void(const scriptgen::ScriptSettings&)> show;
    std::function<void()> clear; // empty: New Script leaves the control as it is
};

// What a page takes from the window to make its controls: the list the
// pickers offer (the form's fields as "$name"), and the maker of the controls
// its class makes itself.
struct PageParts {
    QAbstractItemModel* fieldVariables = nullptr;
    std::function<QWidget*(const ControlRow& row, QWidget* parent)> makeCustom;
};

// One control of a page as made from its row.
struct PageControl {
    const ControlRow* row;
    QWidget* widget;
    Binding binding;
    QCheckBox* governor = nullptr; // the switch that enables it; none for the ungoverned
};

// A tab page of the main window, made from its rows: it owns their controls,
// reads, shows and clears their settings, enables each while its switch is
// ticked, and takes the keyboard focus through them in the order of the rows.
// A control of a kind of setting that a plain box cannot show (the mail list,
// the grid, the dialogs' settings) gets its binding from the page's class.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    SettingsPage(const PageLayout& layout, const PageParts& parts, QWidget* parent);

    const PageLayout& layout() const { return layout_; }
    const std::vector<PageControl>& controls() const { return controls_; }

    // Says in the password boxes of these settings, while they are empty,
    // that they must be typed again; the page's other password boxes say
    // nothing.
    void askToTypeAgain(const std::vector<scriptgen::Setting>& settings);

    // Adds this page's part of the settings.
    void readSettings(scriptgen::ScriptSettings& settings) const;
    // Shows this page's part of the settings as if the user had typed it; the
    // switches then govern their controls.
    void showSettings(const scriptgen::ScriptSettings& settings);
    // New Script: empties the boxes, keeps the switches and what is enabled.
    virtual void clearForNewScript();
    // The settings applied once, when the window first becomes active.
    virtual void firstActivation();

    // The control that shows the setting, or none on this page.
    QWidget* controlFor(scriptgen::Setting setting) const;

    // Finds the switches of the rows that name one on another page.
    void findSwitches(const std::function<QCheckBox*(const char*)>& find);
    // A switch of this page, by name.
    QCheckBox* switchNamed(const char* name) const;

    // Enables every governed control while its switch is ticked, and
    // disables it while it is not.
    void applySwitches();
    // The same for the controls of one switch.
    void applySwitch(const QCheckBox* governor);

signals:
    // A setting of the page may have changed.
    void edited();

protected:
    // The control a row made, by the row's name.
    template <typename Widget> Widget* control(const char* name) const
    {
        return qobject_cast<Widget*>(widgets_.value(QLatin1String(name)));
    }
    // The binding of a control whose setting no plain box shows.
    void bind(scriptgen::Setting setting, Binding binding);
    // Says edited() whenever the control's setting changes: a list or grid
    // once it has its model.
    void watch(QWidget* widget) const;

private:
    QWidget* make(const ControlRow& row, const PageParts& parts);
    QWidget* makeControl(const ControlRow& row, const PageParts& parts, QWidget* parent);
    Binding plainBinding(const ControlRow& row, QWidget* widget) const;

    const PageLayout& layout_;
    QHash<QString, QWidget*> widgets_;
    std::vector<PageControl> controls_;
};

} // namespace zestrel
