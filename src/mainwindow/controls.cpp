#include "mainwindow/controls.h"

#include "mainwindow/pickerbox.h"
#include "mainwindow/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringListModel>

namespace zestrel {

QFont DialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Liberation Sans Narrow"),
        QStringLiteral("Arial Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QLabel* AddLabel(QWidget* parent, const char* name, QRect bounds, const QString& text)
{
    return Place(new QLabel(text, parent), name, bounds);
}

QGroupBox* AddGroupBox(QWidget* parent, const char* name, QRect bounds, const QString& title)
{
    return Place(new GroupBox(title, parent), name, bounds);
}

QLineEdit* AddEdit(QWidget* parent, const char* name, QRect bounds, const QString& text)
{
    auto* edit = Place(new QLineEdit(text, parent), name, bounds);
    edit->setValidator(new SingleLineValidator(edit));
    return edit;
}

QPlainTextEdit* AddMemo(QWidget* parent, const char* name, QRect bounds, bool scrollBar)
{
    auto* memo = Place(new QPlainTextEdit(parent), name, bounds);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Lines break on screen anywhere, not only at blanks: looking for a word
    // boundary scans the rest of an unbroken line for every screen line,
    // which makes typing in a very long line cost the square of its length.
    // A wrapped line stays one line of the text.
    memo->setWordWrapMode(QTextOption::WrapAnywhere);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(scrollBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo->setTabChangesFocus(true);
    return memo;
}

QCheckBox* AddCheckBox(QWidget* parent, const char* name, QRect bounds, const QString& caption)
{
    return Place(new QCheckBox(caption, parent), name, bounds);
}

QComboBox* AddComboBox(QWidget* parent, const char* name, QRect bounds, const QString& text, QStringListModel* model)
{
    auto* combo = Place(new PickerBox(parent), name, bounds);
    combo->setEditable(true);
    combo->setModel(model);
    // The text is exactly what the user typed or picked: no completion, and
    // Enter does not add the text to the list.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setValidator(new SingleLineValidator(combo));
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    return combo;
}

void SetTabOrder(std::initializer_list<QWidget*> chain)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : chain) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace zestrel
