#include "mainwindow/databaserecordspage.h"

#include "mainwindow/controls.h"
#include "mainwindow/guard.h"
#include "mainwindow/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QStringListModel>

namespace zestrel {

namespace {

using enum ControlKind;
using scriptgen::ScriptSettings;
using scriptgen::Setting;

constexpr int kGridColumnWidth = 232;
constexpr int kGridRowHeight = 16;

const ControlRow kRows[] = {
    {.kind = Group, .name = "GroupBox7", .bounds = {8, 32, 505, 281}, .caption = "Insert Records"},
    {.kind = Edit,
        .name = "Edit9",
        .parent = "GroupBox7",
        .bounds = {104, 24, 273, 21},
        .caption = "Insert into Table:",
        .label = "Label12",
        .labelBounds = {8, 32, 79, 13},
        .setting = Setting::InsertTable,
        .governor = "CheckBox3"},
    {.kind = ScrolledMemo,
        .name = "Memo2",
        .parent = "GroupBox7",
        .bounds = {104, 56, 273, 65},
        .caption = "Table Fields:",
        .label = "Label13",
        .labelBounds = {24, 80, 60, 13},
        .setting = Setting::InsertFields,
        .governor = "CheckBox3",
        .fillsFromFields = true},
    {.kind = Custom,
        .name = "StringGrid1",
        .parent = "GroupBox7",
        .bounds = {8, 136, 489, 97},
        .setting = Setting::InsertValues,
        .governor = "CheckBox3",
        .named = "Variable / Value"},
    // The picker's text reaches the settings through the grid's cells.
    {.kind = Picker,
        .name = "ComboBox1",
        .parent = "GroupBox7",
        .bounds = {104, 248, 177, 21},
        .caption = "Variable / Value:",
        .label = "Label14",
        .labelBounds = {8, 256, 79, 13},
        .governor = "CheckBox3",
        .text = "Value"},
    {.kind = Check,
        .name = "CheckBox3",
        .bounds = {8, 8, 145, 17},
        .caption = "Use 'Database Records'",
        .setting = Setting::InsertRecord},
};

const PageLayout kLayout{"TabSheet3", "Database Records", kRows};

} // namespace

const PageLayout& DatabaseRecordsPage::Layout()
{
    return kLayout;
}

DatabaseRecordsPage::DatabaseRecordsPage(const PageParts& parts, QWidget* parent)
    : SettingsPage(
          kLayout, {parts.fieldVariables, [](const ControlRow&, QWidget* in) { return new GridView(in); }}, parent),
      gridModel_(new GridTableModel(grid_, this))
{
    GridView* grid = gridView();
    grid->setModel(gridModel_);
    watch(grid);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setDefaultSectionSize(kGridColumnWidth);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setShowGrid(true);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(false);
    grid->setTabKeyNavigation(false);

    bind(Setting::InsertValues,
        {[this](ScriptSettings& s) {
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
            {}});

    // Its menu gives each table field of the field list's name that field.
    auto* map = new QAction(QStringLiteral("Map fields of the same name"), grid);
    map->setObjectName(QStringLiteral("StringGrid1Map"));
    grid->addAction(map);
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(map, &QAction::triggered, this, &DatabaseRecordsPage::mapSameNames);

    connect(control<QPlainTextEdit>("Memo2"), &QPlainTextEdit::textChanged, this, &DatabaseRecordsPage::Memo2Change);
    connect(grid, &GridView::cellChosen, this, [this](const QModelIndex& index) {
        grid_.selectCell(index.column(), index.row());
        StringGrid1Click();
    });
    connect(picker(), &QComboBox::editTextChanged, this, &DatabaseRecordsPage::ComboBox1Change);
    // Choosing an entry (mouse or Enter) fills the current value cell even
    // when the text was already the entry's, as after filling another row.
    connect(picker(), &QComboBox::activated, this, &DatabaseRecordsPage::ComboBox1Change);
    connect(control<QCheckBox>("CheckBox3"), &QCheckBox::toggled, this, &DatabaseRecordsPage::CheckBox3Click);
    showGrid();
}

GridView* DatabaseRecordsPage::gridView() const
{
    return control<GridView>("StringGrid1");
}

QComboBox* DatabaseRecordsPage::picker() const
{
    return control<QComboBox>("ComboBox1");
}

void DatabaseRecordsPage::clearForNewScript()
{
    SettingsPage::clearForNewScript();
    // One empty line: the grid keeps its header and one empty row.
    control<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("\n"));
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
    gridView()->selectionModel()->setCurrentIndex(
        gridModel_->index(grid_.currentRow(), grid_.currentColumn()), QItemSelectionModel::ClearAndSelect);
}

void DatabaseRecordsPage::Memo2Change()
{
    Guard([this] {
        grid_.setFieldNames(MemoLines(control<QPlainTextEdit>("Memo2")));
        showGrid();
    });
}

void DatabaseRecordsPage::StringGrid1Click()
{
    Guard([this] { picker()->setEnabled(grid_.currentColumn() == InsertGrid::kValueColumn); });
}

void DatabaseRecordsPage::ComboBox1Change()
{
    Guard([this] {
        grid_.setCurrentValue(picker()->currentText());
        const QModelIndex value = gridModel_->index(grid_.currentRow(), InsertGrid::kValueColumn);
        emit gridModel_->dataChanged(value, value, {Qt::DisplayRole});
    });
}

void DatabaseRecordsPage::mapSameNames()
{
    Guard([this] {
        const auto* variables = qobject_cast<const QStringListModel*>(picker()->model());
        if (variables && grid_.mapSameNames(variables->stringList()) > 0) {
            showGrid();
            emit edited();
        }
    });
}

void DatabaseRecordsPage::CheckBox3Click()
{
    Guard([this] { applySwitch(control<QCheckBox>("CheckBox3")); });
}

} // namespace zestrel
