#pragma once

#include <QDialog>

namespace zestrel {

class FieldRulesModel;

// The form's own rules in a table, one row per field of the field list, to
// read and edit; edits take effect at once.
class FieldRulesDialog : public QDialog {
    Q_OBJECT
public:
    FieldRulesDialog(FieldRulesModel* rules, QWidget* parent);
};

} // namespace zestrel
