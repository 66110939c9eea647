#pragma once

#include "mainwindow/settingspage.h"

namespace zestrel {

// The page "Alter Database Tables": create a table of text columns, or drop
// a table.
class AlterDatabaseTablesPage : public SettingsPage {
    Q_OBJECT
public:
    AlterDatabaseTablesPage(const PageParts& parts, QWidget* parent);
    static const PageLayout& Layout();

public slots:
    void CheckBox6Click();
    void CheckBox7Click();
};

} // namespace zestrel
