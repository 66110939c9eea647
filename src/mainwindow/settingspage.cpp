#include "mainwindow/settingspage.h"

#include "mainwindow/controls.h"
#include "mainwindow/widgets.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace zestrel {

namespace {

using scriptgen::ScriptSettings;
using scriptgen::SettingKind;

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename Value> Value ScriptSettings::*MemberOf(scriptgen::Setting setting)
{
    return std::get<Value ScriptSettings::*>(scriptgen::InfoOf(setting).member);
}

bool TakesFocus(ControlKind kind)
{
    return kind != ControlKind::Group && kind != ControlKind::Label;
}

} // namespace

SettingsPage::SettingsPage(const PageLayout& layout, const PageParts& parts, QWidget* parent)
    : QWidget(parent), layout_(layout)
{
    setObjectName(QString::fromLatin1(layout.name));
    // The group boxes first: the rows list the controls in the order of the
    // focus, which may take a later group's box first.
    for (const ControlRow& row : layout.rows)
        if (row.kind == ControlKind::Group)
            widgets_.insert(QLatin1String(row.name), make(row, parts));
    for (const ControlRow& row : layout.rows) {
        if (row.kind == ControlKind::Group)
            continue;
        QWidget* widget = make(row, parts);
        widgets_.insert(QLatin1String(row.name), widget);
        if (row.tip)
            widget->setToolTip(QString::fromUtf8(row.tip));
        if (row.does)
            widget->setAccessibleDescription(QString::fromUtf8(row.does));
        if (!TakesFocus(row.kind))
            continue;
        // Without a name of its own, a box is named after the group it
        // stands in, which gives the boxes of a group one name.
        widget->setAccessibleName(AccessibleName(layout, row));
        if (!controls_.empty())
            QWidget::setTabOrder(controls_.back().widget, widget);
        controls_.push_back({&row, widget, plainBinding(row, widget)});
        watch(widget);
    }
    for (PageControl& control : controls_)
        if (control.row->governor)
            control.governor = switchNamed(control.row->governor);
}

void SettingsPage::askToTypeAgain(const std::vector<scriptgen::Setting>& settings)
{
    for (const PageControl& control : controls_) {
        auto* edit = qobject_cast<QLineEdit*>(control.widget);
        if (!edit || !control.row->setting || scriptgen::InfoOf(*control.row->setting).kind != SettingKind::Secret)
            continue;
        const bool again = std::find(settings.begin(), settings.end(), *control.row->setting) != settings.end();
        edit->setPlaceholderText(again ? TypeAgainText() : QString());
    }
}

QWidget* SettingsPage::make(const ControlRow& row, const PageParts& parts)
{
    QWidget* parent = row.parent ? widgets_.value(QLatin1String(row.parent)) : this;
    QLabel* label = row.label ? AddLabel(parent, row.label, row.labelBounds, QString::fromUtf8(row.caption)) : nullptr;
    QWidget* control = makeControl(row, parts, parent);
    if (label)
        label->setBuddy(control);
    return control;
}

QWidget* SettingsPage::makeControl(const ControlRow& row, const PageParts& parts, QWidget* parent)
{
    const QString caption = QString::fromUtf8(row.caption);
    const QString text = QString::fromUtf8(row.text);
    switch (row.kind) {
    case ControlKind::Group:
        return AddGroupBox(parent, row.name, row.bounds, caption);
    case ControlKind::Label:
        return AddLabel(parent, row.name, row.bounds, caption);
    case ControlKind::Edit:
        return AddEdit(parent, row.name, row.bounds, text);
    case ControlKind::SecretEdit: {
        QLineEdit* edit = AddEdit(parent, row.name, row.bounds, text);
        MaskWithShowAction(edit);
        return edit;
    }
    case ControlKind::LabeledEdit: {
        auto* edit = Place(new LabeledEdit(caption, parent), row.name, row.bounds);
        edit->setText(text);
        return edit;
    }
    case ControlKind::Memo:
    case ControlKind::ScrolledMemo: {
        QPlainTextEdit* memo = AddMemo(parent, row.name, row.bounds, row.kind == ControlKind::ScrolledMemo);
        if (row.fillsFromFields && parts.fieldVariables) {
            auto* fill = new QAction(QStringLiteral("Fill from the field list"), memo);
            fill->setObjectName(memo->objectName() + QStringLiteral("Fill"));
            const QAbstractItemModel* variables = parts.fieldVariables;
            connect(fill, &QAction::triggered, memo, [memo, variables] { FillFromFieldList(memo, *variables); });
            memo->addAction(fill);
            WithOwnActionsInMenu(memo);
        }
        return memo;
    }
    case ControlKind::Picker:
        return AddComboBox(parent, row.name, row.bounds, text, parts.fieldVariables);
    case ControlKind::Check:
        return AddCheckBox(parent, row.name, row.bounds, caption);
    case ControlKind::Button:
        return Place(new QPushButton(caption, parent), row.name, row.bounds);
    case ControlKind::Custom:
        break;
    }
    return Place(parts.makeCustom(row, parent), row.name, row.bounds);
}

Binding SettingsPage::plainBinding(const ControlRow& row, QWidget* widget) const
{
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const auto clear = [combo] {
            const QSignalBlocker block(combo);
            combo->setEditText(QString());
        };
        if (!row.setting)
            return {{}, {}, clear};
        const auto member = MemberOf<std::string>(*row.setting);
        return {[combo, member](ScriptSettings& s) { s.*member = combo->currentText().toStdString(); },
            [combo, member](const ScriptSettings& s) { combo->setEditText(FromUtf8(s.*member)); }, clear};
    }
    if (!row.setting)
        return {};
    const SettingKind kind = scriptgen::InfoOf(*row.setting).kind;
    if (auto* edit = qobject_cast<QLineEdit*>(widget);
        edit && (kind == SettingKind::Text || kind == SettingKind::Secret)) {
        const auto member = MemberOf<std::string>(*row.setting);
        Binding binding{[edit, member](ScriptSettings& s) { s.*member = edit->text().toStdString(); },
            [edit, member](const ScriptSettings& s) { edit->setText(FromUtf8(s.*member)); }, {}};
        if (row.onNewScript == OnNewScript::Empty)
            binding.clear = [edit] { edit->clear(); };
        return binding;
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget); memo && kind == SettingKind::Lines) {
        const auto member = MemberOf<scriptgen::Lines>(*row.setting);
        return {[memo, member](ScriptSettings& s) {
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
    if (auto* check = qobject_cast<QCheckBox*>(widget); check && kind == SettingKind::Switch) {
        const auto member = MemberOf<bool>(*row.setting);
        return {[check, member](ScriptSettings& s) { s.*member = check->isChecked(); },
            [check, member](const ScriptSettings& s) { check->setChecked(s.*member); }, {}};
    }
    if (auto* check = qobject_cast<QCheckBox*>(widget); check && kind == SettingKind::Target) {
        const auto member = MemberOf<scriptgen::Target>(*row.setting);
        return {[check, member](ScriptSettings& s) {
                    s.*member = check->isChecked() ? scriptgen::Target::Safe : scriptgen::Target::Classic;
                },
            [check, member](const ScriptSettings& s) { check->setChecked(s.*member == scriptgen::Target::Safe); }, {}};
    }
    // The page's class binds the rest.
    return {};
}

void SettingsPage::bind(scriptgen::Setting setting, Binding binding)
{
    for (PageControl& control : controls_)
        if (control.row->setting == setting) {
            control.binding = std::move(binding);
            return;
        }
}

void SettingsPage::watch(QWidget* widget) const
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textChanged, this, &SettingsPage::edited);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        connect(memo, &QPlainTextEdit::textChanged, this, &SettingsPage::edited);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::editTextChanged, this, &SettingsPage::edited);
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        connect(check, &QCheckBox::toggled, this, &SettingsPage::edited);
    } else if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
        const QAbstractItemModel* model = view->model();
        connect(model, &QAbstractItemModel::dataChanged, this, &SettingsPage::edited);
        connect(model, &QAbstractItemModel::modelReset, this, &SettingsPage::edited);
        connect(model, &QAbstractItemModel::rowsInserted, this, &SettingsPage::edited);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &SettingsPage::edited);
    }
}

void SettingsPage::readSettings(ScriptSettings& settings) const
{
    for (const PageControl& control : controls_)
        if (control.binding.read)
            control.binding.read(settings);
}

void SettingsPage::showSettings(const ScriptSettings& settings)
{
    for (const PageControl& control : controls_)
        if (control.binding.show)
            control.binding.show(settings);
    applySwitches();
}

void SettingsPage::clearForNewScript()
{
    for (const PageControl& control : controls_)
        if (control.binding.clear)
            control.binding.clear();
}

void SettingsPage::firstActivation()
{
    applySwitches();
}

QWidget* SettingsPage::controlFor(scriptgen::Setting setting) const
{
    for (const PageControl& control : controls_)
        if (control.row->setting == setting || control.row->alsoShows == setting)
            return control.widget;
    return nullptr;
}

QCheckBox* SettingsPage::switchNamed(const char* name) const
{
    return control<QCheckBox>(name);
}

void SettingsPage::findSwitches(const std::function<QCheckBox*(const char*)>& find)
{
    for (PageControl& control : controls_) {
        if (!control.row->governor || control.governor)
            continue;
        QCheckBox* governor = find(control.row->governor);
        control.governor = governor;
        connect(governor, &QCheckBox::toggled, this, [this, governor] { applySwitch(governor); });
    }
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
