#pragma once

#include "scriptgen/settings.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace zestrel {

// The form's own rules, one row per field of the field list, every cell
// editable but the field's name. The rows follow the field list: a new name
// gets an empty row, a removed name's row goes.
class FieldRulesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Field,
        Label,
        Required,
        Type,
        MinLength,
        MaxLength,
        Pattern,
        Hint,
        Min,
        Max,
        Step,
        Choices,
        Multiple,
        // A file field's: the types it takes, the most bytes of a file, the
        // most files.
        Accept,
        MaxBytes,
        MaxFiles
    };
    static constexpr int kColumns = MaxFiles + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // One row per distinct non-empty line, in the list's order; rows of
    // names still there keep their rules.
    void setFields(const QStringList& lines);
    // The rules of the fields listed; a field without one gets an empty row.
    void setRules(const std::vector<scriptgen::FieldRule>& rules);
    const std::vector<scriptgen::FieldRule>& rules() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<scriptgen::FieldRule> rows_;
};

} // namespace zestrel
