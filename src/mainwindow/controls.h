#pragma once

// Builders for the window's controls: each creates a control, gives it its
// component name as objectName and places it at its bounds.
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace zestrel {

// The dialog font: a narrow sans-serif at 8 points, narrow enough that every
// caption fits the bounds laid out for the classic 8-point dialog font.
QFont DialogFont();

template <typename Widget> Widget* Place(Widget* widget, const char* name, QRect bounds)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(bounds);
    return widget;
}

QLabel* AddLabel(QWidget* parent, const char* name, QRect bounds, const QString& text);
QGroupBox* AddGroupBox(QWidget* parent, const char* name, QRect bounds, const QString& title);
QLineEdit* AddEdit(QWidget* parent, const char* name, QRect bounds, const QString& text = {});

// Shows the box's usual context menu with the box's own actions below it.
void WithOwnActionsInMenu(QPlainTextEdit* memo);

// Replaces the lines of a list of columns by the field names of the field
// list's variables ("$name"), as one edit that Undo takes back.
void FillFromFieldList(QPlainTextEdit* memo, const QAbstractItemModel& variables);

// What an empty password box says when a settings file left it empty.
QString TypeAgainText();

// Masks a password box, with the usual action at its end that shows what was
// typed and hides it again.
void MaskWithShowAction(QLineEdit* edit);
QPlainTextEdit* AddMemo(QWidget* parent, const char* name, QRect bounds, bool scrollBar);
QCheckBox* AddCheckBox(QWidget* parent, const char* name, QRect bounds, const QString& caption);
// An editable combo box showing `text`, its list taken from `model`.
QComboBox* AddComboBox(QWidget* parent, const char* name, QRect bounds, const QString& text, QAbstractItemModel* model);

// The lines of a multi-line edit, each exactly as typed: split at line
// breaks only, however the edit wraps them on screen; a final line break adds
// no empty line.
QStringList MemoLines(const QPlainTextEdit* memo);

// Shows the lines in a multi-line edit, so that MemoLines gives them back.
void ShowLines(QPlainTextEdit* memo, const QStringList& lines);

} // namespace zestrel
