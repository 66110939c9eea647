#pragma once

#include "mainwindow/settingspage.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace zestrel {

// The page "Alter Database Tables": create a table of text columns, or drop
// a table.
class AlterDatabaseTablesPage : public SettingsPage {
    Q_OBJECT
public:
    explicit AlterDatabaseTablesPage(QWidget* parent);

public slots:
    void CheckBox6Click();
    void CheckBox7Click();

private:
    QCheckBox* CheckBox6;
    QLineEdit* Edit13;
    QPlainTextEdit* Memo6;
    QCheckBox* CheckBox7;
    QLineEdit* Edit14;
};

} // namespace zestrel
