#pragma once

#include "mainwindow/settingspage.h"

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace zestrel {

// The page "View Database Records": all records of a table, or the first
// that matches a field, shown as an HTML table.
class ViewDatabaseRecordsPage : public SettingsPage {
    Q_OBJECT
public:
    // The value to match can be picked from `fieldVariables`; whether anyone
    // may view the records is asked while `safeSwitch` is ticked.
    ViewDatabaseRecordsPage(QAbstractItemModel* fieldVariables, QCheckBox* safeSwitch, QWidget* parent);

public slots:
    void CheckBox4Click();
    void CheckBox5Click();

private:
    QCheckBox* CheckBox4;
    QLineEdit* Edit10;
    QPlainTextEdit* Memo3;
    QCheckBox* CheckBox5;
    QLineEdit* Edit11;
    QLineEdit* Edit12;
    QComboBox* ComboBox2;
    QPlainTextEdit* Memo4;
    QCheckBox* CheckBox9;
};

} // namespace zestrel
