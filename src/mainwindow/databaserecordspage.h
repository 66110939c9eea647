#pragma once

#include "core/insertgrid.h"
#include "mainwindow/settingspage.h"

class QComboBox;
class QPlainTextEdit;

namespace zestrel {

class GridTableModel;
class GridView;

// The page "Database Records": the table to insert into, its fields, and
// the grid that gives each field its value through the value picker.
class DatabaseRecordsPage : public SettingsPage {
    Q_OBJECT
public:
    DatabaseRecordsPage(const PageParts& parts, QWidget* parent);
    static const PageLayout& Layout();

    const InsertGrid& grid() const { return grid_; }

    void clearForNewScript() override;
    void firstActivation() override;

public slots:
    void Memo2Change();
    void StringGrid1Click();
    void ComboBox1Change();
    void CheckBox3Click();

private:
    void mapSameNames();
    void writeHeadings();
    void showGrid();
    GridView* gridView() const;
    QComboBox* picker() const;

    InsertGrid grid_;
    GridTableModel* gridModel_;
};

} // namespace zestrel
