#pragma once

#include "mainwindow/settingspage.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zestrel {

class FieldRulesModel;

// The page "Script Setup": the field list, Read Form, the database
// connection and the switch of the safe script.
class ScriptSetupPage : public SettingsPage {
    Q_OBJECT
public:
    explicit ScriptSetupPage(QWidget* parent);

    // The field list, where typing starts and form pages may be dropped.
    QPlainTextEdit* fieldList() const { return Memo1; }
    QPushButton* readFormButton() const { return Button1; }
    // The switch of the safe script, which also governs controls of other pages.
    QCheckBox* safeSwitch() const { return CheckBox8; }
    // The form's own rules, read from the user's page.
    void setFieldRules(const std::vector<scriptgen::FieldRule>& rules);

public slots:
    void CheckBox1Click();
    void CheckBox8Click();
    void Button2Click();

private:
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    QPushButton* Button2;
    FieldRulesModel* rules_;
    QCheckBox* CheckBox1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QCheckBox* CheckBox8;
    QLineEdit* Edit15;
};

} // namespace zestrel
