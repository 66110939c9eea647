#include "mainwindow/fieldrulesdialog.h"

#include "core/fieldrulesmodel.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace zestrel {

namespace {

// The allowed values, one per line.
class ChoicesDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QPlainTextEdit(parent);
        editor->setTabChangesFocus(true);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QPlainTextEdit*>(editor)->setPlainText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QPlainTextEdit*>(editor)->toPlainText(), Qt::EditRole);
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        // Room for a few values under the cell.
        editor->setGeometry(option.rect.adjusted(0, 0, 0, 4 * option.rect.height()));
    }
};

// The types HTML gives a form's fields, offered in a list; another may be
// typed.
class TypeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QComboBox(parent);
        editor->setEditable(true);
        editor->addItems({QStringLiteral("text"), QStringLiteral("email"), QStringLiteral("url"), QStringLiteral("tel"),
            QStringLiteral("number"), QStringLiteral("range"), QStringLiteral("date"), QStringLiteral("month"),
            QStringLiteral("week"), QStringLiteral("time"), QStringLiteral("datetime-local"), QStringLiteral("color"),
            QStringLiteral("search"), QStringLiteral("password"), QStringLiteral("hidden"), QStringLiteral("textarea"),
            QStringLiteral("select"), QStringLiteral("radio"), QStringLiteral("checkbox"), QStringLiteral("file")});
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
    }
};

} // namespace

FieldRulesDialog::FieldRulesDialog(FieldRulesModel* rules, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FieldRulesDialog"));
    // The window's own font, for the headers too, which the style would
    // otherwise give its own.
    setFont(parent->font());
    setWindowTitle(QStringLiteral("Field Rules"));
    auto* note = new QLabel(
        QStringLiteral(
            "What the form asks of each field, as the browser checks it. The safe script checks it again "
            "on the server and names each field by its label, in its answer and in the mail. Read Form... "
            "fills the table from your page. Allowed values: one per line; an empty line is the empty "
            "value of a \"Choose one\" entry. File fields: the types as the form's accept writes them (.pdf, "
            "image/*), and at most 10 MB a file and 5 files when left empty. Classic scripts ignore these "
            "rules."),
        this);
    note->setWordWrap(true);
    auto* table = new QTableView(this);
    table->setObjectName(QStringLiteral("FieldRulesTable"));
    table->setModel(rules);
    table->setItemDelegateForColumn(FieldRulesModel::Type, new TypeDelegate(table));
    table->setItemDelegateForColumn(FieldRulesModel::Choices, new ChoicesDelegate(table));
    table->horizontalHeader()->setFont(font());
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(table);
    layout->addWidget(buttons);
    // Wide enough for every column, within a small screen.
    int columns = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < FieldRulesModel::kColumns; ++column)
        columns += table->columnWidth(column);
    resize(std::clamp(columns + 2 * layout->contentsMargins().left() + 4, 640, 1000), 380);
}

} // namespace zestrel
