#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace zestrel {

// The insert-mapping grid without its widget: a two-column grid of text cells
// with leading fixed (header) rows, one current cell and a cell store that
// outlives the row count, so rows hidden by a shorter list come back with
// their texts.
class InsertGrid {
public:
    static constexpr int kColumns = 2;
    static constexpr int kFieldColumn = 0;
    static constexpr int kValueColumn = 1;

    int rowCount() const { return rowCount_; }
    int fixedRowCount() const { return fixedRows_; }
    int currentColumn() const { return currentColumn_; }
    int currentRow() const { return currentRow_; }
    bool isFixedRow(int row) const { return row >= 0 && row < fixedRows_; }

    // Stored text of a cell, also of a row beyond the row count.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    // Row count of at least 1. A count not above the fixed rows turns all but
    // the new last row into fixed rows and moves the current cell below them;
    // a count at or below the current row moves the current cell to the last
    // row.
    void setRowCount(int count);

    // A selection by the user; refused for fixed rows and cells outside the
    // grid.
    bool selectCell(int column, int row);

    // Empties the visible cells of a column, then writes the heading into its
    // first empty cell.
    void resetColumn(int column, const QString& heading);

    // One data row per line: the row count follows the list and column 0 of
    // rows 1..n shows the lines; the value column is left alone.
    void setFieldNames(const QStringList& lines);

    // The value picker's text goes to the value cell of the current row.
    void setCurrentValue(const QString& text);

    // Gives each row below row 0 whose field is one of the variables
    // ("$name") that variable as its value; returns how many it gave.
    int mapSameNames(const QStringList& variables);

    // Value cells of the visible rows below row 0, top to bottom.
    QStringList dataValues() const;

    // Puts the values into the value cells below row 0, top to bottom, and
    // empties the value cells below them, so no earlier value comes back.
    void setDataValues(const QStringList& values);

private:
    int rowCount_ = 2;
    int fixedRows_ = 1;
    int currentColumn_ = 0;
    int currentRow_ = 1;
    std::array<std::vector<QString>, kColumns> cells_;
};

} // namespace zestrel
