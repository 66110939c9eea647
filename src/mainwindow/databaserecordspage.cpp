#include "mainwindow/databaserecordspage.h"

#include "mainwindow/controls.h"
#include "mainwindow/guard.h"
#include "mainwindow/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStringListModel>

namespace zestrel {

namespace {

constexpr int kGridColumnWidth = 232;
constexpr int kGridRowHeight = 16;

} // namespace

DatabaseRecordsPage::DatabaseRecordsPage(QAbstractItemModel* fieldVariables, QWidget* parent)
    : SettingsPage("TabSheet3", parent), gridModel_(new GridTableModel(grid_, this))
{
    using scriptgen::ScriptSettings;
    using scriptgen::Setting;

    CheckBox3 = AddCheckBox(this, "CheckBox3", {8, 8, 145, 17}, QStringLiteral("Use 'Database Records'"));

    auto* GroupBox7 = AddGroupBox(this, "GroupBox7", {8, 32, 505, 281}, QStringLiteral("Insert Records"));
    AddLabel(GroupBox7, "Label12", {8, 32, 79, 13}, QStringLiteral("Insert into Table:"));
    Edit9 = AddEdit(GroupBox7, "Edit9", {104, 24, 273, 21});
    AddLabel(GroupBox7, "Label13", {24, 80, 60, 13}, QStringLiteral("Table Fields:"));
    Memo2 = AddMemo(GroupBox7, "Memo2", {104, 56, 273, 65}, true);

    StringGrid1 = Place(new GridView(GroupBox7), "StringGrid1", {8, 136, 489, 97});
    StringGrid1->setModel(gridModel_);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setMinimumSectionSize(1);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(kGridColumnWidth);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StringGrid1->setShowGrid(true);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTabKeyNavigation(false);

    AddLabel(GroupBox7, "Label14", {8, 256, 79, 13}, QStringLiteral("Variable / Value:"));
    ComboBox1 = AddComboBox(GroupBox7, "ComboBox1", {104, 248, 177, 21}, QStringLiteral("Value"), fieldVariables);

    QComboBox* const picker = ComboBox1;
    setControls({
        Bind(Edit9, &ScriptSettings::insertTable, Setting::InsertTable, CheckBox3),
        Bind(Memo2, &ScriptSettings::insertFields, Setting::InsertFields, CheckBox3),
        {StringGrid1, Setting::InsertValues, CheckBox3,
            [this](ScriptSettings& s) {
                const QStringList values = grid_.dataValues();
                s.insertValues.clear();
                s.insertValues.reserve(static_cast<std::size_t>(values.size()));
                for (const QString& value : values)
                    s.insertValues.push_back(value.toStdString());
            },
            [this](const ScriptSettings& s) {
                // A value without any table field was picked into the one
                // row the grid has before the first field is typed.
                if (s.insertFields.empty() && !s.insertValues.empty()) {
                    grid_ = InsertGrid();
                    writeHeadings();
                }
                QStringList values;
                for (const std::string& value : s.insertValues)
                    values.append(QString::fromStdString(value));
                grid_.setDataValues(values);
                showGrid();
            },
            {}},
        // The picker's text reaches the settings through the grid's cells.
        {ComboBox1, {}, CheckBox3, {}, {},
            [picker] {
                const QSignalBlocker block(picker);
                picker->setEditText(QString());
            }},
        Bind(CheckBox3, &ScriptSettings::insertRecord, Setting::InsertRecord),
    });

    connect(Memo2, &QPlainTextEdit::textChanged, this, &DatabaseRecordsPage::Memo2Change);
    connect(StringGrid1, &GridView::cellChosen, this, [this](const QModelIndex& index) {
        grid_.selectCell(index.column(), index.row());
        StringGrid1Click();
    });
    connect(ComboBox1, &QComboBox::editTextChanged, this, &DatabaseRecordsPage::ComboBox1Change);
    // Choosing an entry (mouse or Enter) fills the current value cell even
    // when the text was already the entry's, as after filling another row.
    connect(ComboBox1, &QComboBox::activated, this, &DatabaseRecordsPage::ComboBox1Change);
    connect(CheckBox3, &QCheckBox::clicked, this, &DatabaseRecordsPage::CheckBox3Click);
    showGrid();
}

void DatabaseRecordsPage::clearForNewScript()
{
    SettingsPage::clearForNewScript();
    // One empty line: the grid keeps its header and one empty row.
    Memo2->setPlainText(QStringLiteral("\n"));
}

void DatabaseRecordsPage::firstActivation()
{
    writeHeadings();
    showGrid();
    SettingsPage::firstActivation();
}

void DatabaseRecordsPage::writeHeadings()
{
    grid_.resetColumn(InsertGrid::kFieldColumn, QStringLiteral("Field"));
    grid_.resetColumn(InsertGrid::kValueColumn, QStringLiteral("Variable / Value"));
}

void DatabaseRecordsPage::showGrid()
{
    gridModel_->refresh();
    StringGrid1->selectionModel()->setCurrentIndex(
        gridModel_->index(grid_.currentRow(), grid_.currentColumn()), QItemSelectionModel::ClearAndSelect);
}

void DatabaseRecordsPage::Memo2Change()
{
    Guard([this] {
        grid_.setFieldNames(MemoLines(Memo2));
        showGrid();
    });
}

void DatabaseRecordsPage::StringGrid1Click()
{
    Guard([this] { ComboBox1->setEnabled(grid_.currentColumn() == InsertGrid::kValueColumn); });
}

void DatabaseRecordsPage::ComboBox1Change()
{
    Guard([this] {
        grid_.setCurrentValue(ComboBox1->currentText());
        const QModelIndex value = gridModel_->index(grid_.currentRow(), InsertGrid::kValueColumn);
        emit gridModel_->dataChanged(value, value, {Qt::DisplayRole});
    });
}

void DatabaseRecordsPage::CheckBox3Click()
{
    Guard([this] { applySwitch(CheckBox3); });
}

} // namespace zestrel
