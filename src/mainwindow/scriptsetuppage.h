#pragma once

#include "mainwindow/settingspage.h"
#include "scriptgen/safe/check.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace zestrel {

class FieldRulesModel;

// The page "Script Setup": the field list, Read Form and the form's rules,
// the database connection and the switch of the safe script.
class ScriptSetupPage : public SettingsPage {
    Q_OBJECT
public:
    ScriptSetupPage(const PageParts& parts, QWidget* parent);
    static const PageLayout& Layout();

    // The field list, where typing starts and form pages may be dropped.
    QPlainTextEdit* fieldList() const;
    QPushButton* readFormButton() const;
    // The switch of the safe script, which also governs controls of other pages.
    QCheckBox* safeSwitch() const;
    // The form's own rules, read from the user's page.
    void setFieldRules(const std::vector<scriptgen::FieldRule>& rules);
    // Opens Field Rules at the cell of the rule the check found at fault.
    void showRuleProblem(const scriptgen::Problem& problem);

public slots:
    void CheckBox1Click();
    void CheckBox8Click();
    void Button2Click();

private:
    void openFieldRules(int row, int column);

    FieldRulesModel* rules_;
};

} // namespace zestrel
