#include "mainwindow/widgets.h"

#include "core/textrules.h"
#include "mainwindow/checklistbox.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QSize>

namespace zestrel {

QValidator::State SingleLineValidator::validate(QString& input, int& pos) const
{
    input = FlattenLineBreaks(input, &pos);
    return Acceptable;
}

void GroupBox::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 1, 1));
    const QRect caption(8, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}

LabeledEdit::LabeledEdit(const QString& caption, QWidget* parent)
    : QLineEdit(parent), label_(new QLabel(caption, parent))
{
    setValidator(new SingleLineValidator(this));
}

void LabeledEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        label_->setEnabled(isEnabled());
    QLineEdit::changeEvent(event);
}

void LabeledEdit::moveEvent(QMoveEvent* event)
{
    // The caption stands just above the edit, 3 pixels apart.
    constexpr int kCaptionHeight = 13;
    label_->setGeometry(x(), y() - 3 - kCaptionHeight, width(), kCaptionHeight);
    QLineEdit::moveEvent(event);
}

void CheckListModel::setEntries(QStringList entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    checked_.assign(static_cast<std::size_t>(entries_.size()), false);
    endResetModel();
}

bool CheckListModel::isChecked(int row) const
{
    return row >= 0 && row < entries_.size() && checked_[static_cast<std::size_t>(row)];
}

void CheckListModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= entries_.size())
        return;
    checked_[static_cast<std::size_t>(row)] = checked;
    const QModelIndex entry = index(row);
    emit dataChanged(entry, entry, {Qt::CheckStateRole});
}

int CheckListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return entries_[index.row()];
    case Qt::CheckStateRole:
        return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    case Qt::SizeHintRole:
        return QSize(-1, kCheckListRowHeight);
    default:
        return {};
    }
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= entries_.size() || role != Qt::CheckStateRole)
        return false;
    checked_[static_cast<std::size_t>(index.row())] = value.value<Qt::CheckState>() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

GridTableModel::GridTableModel(InsertGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

void GridTableModel::refresh()
{
    beginResetModel();
    endResetModel();
}

int GridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.rowCount();
}

int GridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : InsertGrid::kColumns;
}

QVariant GridTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool fixed = grid_.isFixedRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return grid_.cell(index.column(), index.row());
    case Qt::BackgroundRole:
        return fixed ? QApplication::palette().button() : QVariant();
    case Qt::ForegroundRole:
        return fixed ? QApplication::palette().buttonText() : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags GridTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || grid_.isFixedRow(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && (index.flags() & Qt::ItemIsSelectable))
        emit cellChosen(index);
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    const QModelIndex after = currentIndex();
    if (after.isValid() && after != before)
        emit cellChosen(after);
}

} // namespace zestrel
