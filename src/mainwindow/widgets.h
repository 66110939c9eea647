#pragma once

#include "core/insertgrid.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QGroupBox>
#include <QLineEdit>
#include <QTableView>
#include <QValidator>

#include <vector>

class QLabel;

namespace zestrel {

// Keeps single-line boxes single-line: a pasted or dropped line break becomes
// a space, so it can never split a line of the script.
class SingleLineValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A group box whose frame runs through the middle of its caption, so that
// contents laid out from the top of the box stay inside the frame.
class GroupBox : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A single-line edit with its own caption above it; the caption is greyed
// together with the edit.
class LabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    LabeledEdit(const QString& caption, QWidget* parent);
    QLabel* editLabel() const { return label_; }

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    QLabel* label_;
};

// Entries with a check mark each, as shown by the check list box.
class CheckListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every entry in one go; new entries are unticked.
    void setEntries(QStringList entries);
    const QStringList& entries() const { return entries_; }
    bool isChecked(int row) const;
    // Ticks or unticks an entry; a row that is not there is left alone.
    void setChecked(int row, bool checked);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList entries_;
    std::vector<bool> checked_;
};

// Shows an InsertGrid in a table view: fixed rows look like headers and can
// be neither selected nor made current.
class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridTableModel(InsertGrid& grid, QObject* parent);

    // Call after the grid changed.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    InsertGrid& grid_;
};

// The grid's view: reports each cell the user chooses, by a mouse press on a
// selectable cell (also the current one) or by moving the current cell with
// the keyboard; moves made by the program are not reported.
class GridView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

signals:
    void cellChosen(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace zestrel
