#include "mainwindow/settingspage.h"

#include "mainwindow/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace zestrel {

namespace {

using scriptgen::ScriptSettings;

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

PageControl Bind(QLineEdit* edit, std::string ScriptSettings::*member, scriptgen::Setting setting, QCheckBox* governor,
    OnNewScript onNewScript)
{
    PageControl row{edit, setting, governor,
        [edit, member](ScriptSettings& s) { s.*member = edit->text().toStdString(); },
        [edit, member](const ScriptSettings& s) { edit->setText(FromUtf8(s.*member)); }, {}};
    if (onNewScript == OnNewScript::Empty)
        row.clear = [edit] { edit->clear(); };
    return row;
}

PageControl Bind(
    QPlainTextEdit* memo, scriptgen::Lines ScriptSettings::*member, scriptgen::Setting setting, QCheckBox* governor)
{
    return {memo, setting, governor,
        [memo, member](ScriptSettings& s) {
            const QStringList lines = MemoLines(memo);
            scriptgen::Lines& out = s.*member;
            out.clear();
            out.reserve(static_cast<std::size_t>(lines.size()));
            for (const QString& line : lines)
                out.push_back(line.toStdString());
        },
        [memo, member](const ScriptSettings& s) {
            QStringList lines;
            lines.reserve(static_cast<qsizetype>((s.*member).size()));
            for (const std::string& line : s.*member)
                lines.append(FromUtf8(line));
            // Lines already shown are left alone, as is what follows them
            // (the grid that follows the table fields keeps its state).
            if (MemoLines(memo) != lines)
                ShowLines(memo, lines);
        },
        [memo] {
            // Emptied without running the change handler.
            const QSignalBlocker block(memo);
            memo->clear();
        }};
}

PageControl Bind(QComboBox* combo, std::string ScriptSettings::*member, scriptgen::Setting setting, QCheckBox* governor)
{
    return {combo, setting, governor,
        [combo, member](ScriptSettings& s) { s.*member = combo->currentText().toStdString(); },
        [combo, member](const ScriptSettings& s) { combo->setEditText(FromUtf8(s.*member)); },
        [combo] {
            const QSignalBlocker block(combo);
            combo->setEditText(QString());
        }};
}

PageControl Bind(QCheckBox* check, bool ScriptSettings::*member, scriptgen::Setting setting)
{
    return {check, setting, nullptr, [check, member](ScriptSettings& s) { s.*member = check->isChecked(); },
        [check, member](const ScriptSettings& s) { check->setChecked(s.*member); }, {}};
}

SettingsPage::SettingsPage(const char* name, QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
}

void SettingsPage::readSettings(ScriptSettings& settings) const
{
    for (const PageControl& control : controls_)
        if (control.read)
            control.read(settings);
}

void SettingsPage::showSettings(const ScriptSettings& settings)
{
    for (const PageControl& control : controls_)
        if (control.show)
            control.show(settings);
    applySwitches();
}

void SettingsPage::clearForNewScript()
{
    for (const PageControl& control : controls_)
        if (control.clear)
            control.clear();
}

void SettingsPage::firstActivation()
{
    applySwitches();
}

QWidget* SettingsPage::controlFor(scriptgen::Setting setting) const
{
    for (const PageControl& control : controls_)
        if (control.setting == setting)
            return control.widget;
    return nullptr;
}

void SettingsPage::setControls(std::vector<PageControl> controls)
{
    controls_ = std::move(controls);
    for (std::size_t i = 1; i < controls_.size(); ++i)
        QWidget::setTabOrder(controls_[i - 1].widget, controls_[i].widget);
}

void SettingsPage::applySwitch(const QCheckBox* governor)
{
    for (const PageControl& control : controls_)
        if (control.governor == governor)
            control.widget->setEnabled(governor->isChecked());
}

void SettingsPage::applySwitches()
{
    for (const PageControl& control : controls_)
        if (control.governor)
            control.widget->setEnabled(control.governor->isChecked());
}

} // namespace zestrel
