#pragma once

#include "scriptgen/settings.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace zestrel {

// One control of a page: the setting it shows, the switch that enables it,
// and how it reads that setting, shows it and clears it for New Script.
struct PageControl {
    QWidget* widget = nullptr;
    std::optional<scriptgen::Setting> setting; // none for a button or the value picker
    QCheckBox* governor = nullptr; // the section switch that enables it; none for the ungoverned
    std::function<void(scriptgen::ScriptSettings&)> read;
    std::function<void(const scriptgen::ScriptSettings&)> show;
    std::function<void()> clear; // empty: New Script leaves the control as it is
};

// What New Script does to a single-line box.
enum class OnNewScript { Empty, Keep };

// Rows for the common kinds of control, each bound to its member of the
// settings. A multi-line edit, the value picker and a single-line box are
// emptied by New Script without reporting a change; a switch is left alone.
PageControl Bind(QLineEdit* edit, std::string scriptgen::ScriptSettings::*member, scriptgen::Setting setting,
    QCheckBox* governor, OnNewScript onNewScript = OnNewScript::Empty);
PageControl Bind(QPlainTextEdit* memo, scriptgen::Lines scriptgen::ScriptSettings::*member, scriptgen::Setting setting,
    QCheckBox* governor);
PageControl Bind(
    QComboBox* combo, std::string scriptgen::ScriptSettings::*member, scriptgen::Setting setting, QCheckBox* governor);
PageControl Bind(QCheckBox* check, bool scriptgen::ScriptSettings::*member, scriptgen::Setting setting);

// A tab page of the main window. It owns its controls and lists each of them
// once, in its table, in the order the keyboard focus takes them.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    SettingsPage(const char* name, QWidget* parent);

    const std::vector<PageControl>& controls() const { return controls_; }

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

    // Enables every governed control while its switch is ticked, and
    // disables it while it is not.
    void applySwitches();

protected:
    // Sets the table: the focus order follows it.
    void setControls(std::vector<PageControl> controls);
    // Enables every control the switch governs while it is ticked, in the
    // order of the table, and disables them while it is not.
    void applySwitch(const QCheckBox* governor);

private:
    std::vector<PageControl> controls_;
};

} // namespace zestrel
