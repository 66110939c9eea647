#include "core/insertgrid.h"

#include <algorithm>

namespace zestrel {

QString InsertGrid::cell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0)
        return {};
    const auto& store = cells_[static_cast<std::size_t>(column)];
    const auto index = static_cast<std::size_t>(row);
    return index < store.size() ? store[index] : QString();
}

void InsertGrid::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= kColumns || row < 0)
        return;
    auto& store = cells_[static_cast<std::size_t>(column)];
    const auto index = static_cast<std::size_t>(row);
    if (index >= store.size()) {
        if (text.isEmpty())
            return;
        store.resize(index + 1);
    }
    store[index] = text;
}

void InsertGrid::setRowCount(int count)
{
    count = std::max(count, 1);
    rowCount_ = count;
    if (count <= fixedRows_) {
        fixedRows_ = count - 1;
        currentColumn_ = 0;
        currentRow_ = fixedRows_;
    } else if (currentRow_ >= count) {
        currentRow_ = count - 1;
    }
}

bool InsertGrid::selectCell(int column, int row)
{
    if (column < 0 || column >= kColumns || row < fixedRows_ || row >= rowCount_)
        return false;
    currentColumn_ = column;
    currentRow_ = row;
    return true;
}

void InsertGrid::resetColumn(int column, const QString& heading)
{
    for (int row = 0; row < rowCount_; ++row)
        setCell(column, row, QString());
    for (int row = 0; row < rowCount_; ++row) {
        if (cell(column, row).isEmpty()) {
            setCell(column, row, heading);
            return;
        }
    }
}

void InsertGrid::setFieldNames(const QStringList& lines)
{
    setRowCount(static_cast<int>(lines.size()) + 1);
    for (int i = 0; i < lines.size(); ++i)
        setCell(kFieldColumn, i + 1, lines[i]);
}

void InsertGrid::setCurrentValue(const QString& text)
{
    setCell(kValueColumn, currentRow_, text);
}

int InsertGrid::mapSameNames(const QStringList& variables)
{
    int mapped = 0;
    for (int row = 1; row < rowCount_; ++row) {
        const QString variable = QLatin1Char('$') + cell(kFieldColumn, row);
        if (variable.size() > 1 && variables.contains(variable)) {
            setCell(kValueColumn, row, variable);
            ++mapped;
        }
    }
    return mapped;
}

QStringList InsertGrid::dataValues() const
{
    QStringList values;
    values.reserve(std::max(rowCount_ - 1, 0));
    for (int row = 1; row < rowCount_; ++row)
        values.append(cell(kValueColumn, row));
    return values;
}

void InsertGrid::setDataValues(const QStringList& values)
{
    const auto stored = static_cast<qsizetype>(cells_[kValueColumn].size());
    const qsizetype rows = std::max(stored - 1, values.size());
    for (qsizetype i = 0; i < rows; ++i)
        setCell(kValueColumn, static_cast<int>(i + 1), i < values.size() ? values[i] : QString());
}

} // namespace zestrel
