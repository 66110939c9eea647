#pragma once

#include "mainwindow/settingspage.h"

namespace zestrel {

// The page "View Database Records": all records of a table, or the first
// that matches a field, shown as an HTML table.
class ViewDatabaseRecordsPage : public SettingsPage {
    Q_OBJECT
public:
    ViewDatabaseRecordsPage(const PageParts& parts, QWidget* parent);
    static const PageLayout& Layout();

public slots:
    void CheckBox4Click();
    void CheckBox5Click();
};

} // namespace zestrel
