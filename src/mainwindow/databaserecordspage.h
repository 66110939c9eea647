#pragma once

#include "core/insertgrid.h"
#include "mainwindow/settingspage.h"

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace zestrel {

class GridTableModel;
class GridView;

// The page "Database Records": the table to insert into, its fields, and
// the grid that gives each field its value through the value picker.
class DatabaseRecordsPage : public SettingsPage {
    Q_OBJECT
public:
    // The value picker lists `fieldVariables`.
    DatabaseRecordsPage(QAbstractItemModel* fieldVariables, QWidget* parent);

    const InsertGrid& grid() const { return grid_; }

    void clearForNewScript() override;
    void firstActivation() override;

public slots:
    void Memo2Change();
    void StringGrid1Click();
    void ComboBox1Change();
    void CheckBox3Click();

private:
    void writeHeadings();
    void showGrid();

    InsertGrid grid_;
    GridTableModel* gridModel_;
    QCheckBox* CheckBox3;
    QLineEdit* Edit9;
    QPlainTextEdit* Memo2;
    GridView* StringGrid1;
    QComboBox* ComboBox1;
};

} // namespace zestrel
