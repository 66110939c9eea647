#include "mainwindow/controls.h"

#include "mainwindow/pickerbox.h"
#include "mainwindow/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

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

namespace {

// An eye, open or struck through, drawn here: the desktop's icon themes name
// it differently and the window must not depend on one.
QIcon EyeIcon(bool struck, const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.2));
    QPainterPath lids;
    lids.moveTo(1.5, 8);
    lids.quadTo(8, 1.5, 14.5, 8);
    lids.quadTo(8, 14.5, 1.5, 8);
    painter.drawPath(lids);
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(8, 8), 2.2, 2.2);
    if (struck)
        painter.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
    return QIcon(pixmap);
}

} // namespace

void WithOwnActionsInMenu(QPlainTextEdit* memo)
{
    memo->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(memo, &QWidget::customContextMenuRequested, memo, [memo](const QPoint& at) {
        const std::unique_ptr<QMenu> menu(memo->createStandardContextMenu(at));
        menu->addSeparator();
        menu->addActions(memo->actions());
        menu->exec(memo->viewport()->mapToGlobal(at));
    });
}

void FillFromFieldList(QPlainTextEdit* memo, const QAbstractItemModel& variables)
{
    QStringList names;
    for (int row = 0; row < variables.rowCount(); ++row)
        names.append(variables.index(row, 0).data().toString().mid(1));
    QTextCursor cursor(memo->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(names.join(QLatin1Char('\n')));
}

QString TypeAgainText()
{
    return QStringLiteral("type again: not kept in settings files");
}

void MaskWithShowAction(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    const QColor colour = edit->palette().color(QPalette::Text);
    auto* show = edit->addAction(EyeIcon(false, colour), QLineEdit::TrailingPosition);
    show->setObjectName(edit->objectName() + QStringLiteral("Show"));
    show->setCheckable(true);
    show->setToolTip(QStringLiteral("Show the password"));
    QObject::connect(show, &QAction::toggled, edit, [edit, show, colour](bool shown) {
        edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        show->setIcon(EyeIcon(shown, colour));
        show->setToolTip(shown ? QStringLiteral("Hide the password") : QStringLiteral("Show the password"));
    });
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

QComboBox* AddComboBox(QWidget* parent, const char* name, QRect bounds, const QString& text, QAbstractItemModel* model)
{
    auto* combo = Place(new PickerBox(parent), name, bounds);
    combo->setEditable(true);
    combo->setListModel(model);
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

QStringList MemoLines(const QPlainTextEdit* memo)
{
    // Read block by block: the edit's plain text would turn no-break spaces
    // into blanks and line separators into line breaks.
    QStringList lines;
    const QTextDocument* document = memo->document();
    lines.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    // One block is always there, and the one after a final line break is
    // empty: neither is a line.
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ShowLines(QPlainTextEdit* memo, const QStringList& lines)
{
    QString text = lines.join(QLatin1Char('\n'));
    // A final line break adds no line, so a last line that is empty needs
    // one more.
    if (!lines.isEmpty() && lines.last().isEmpty())
        text += QLatin1Char('\n');
    // Set on the document: the edit's own setPlainText() also gives every
    // character the edit's format again, a tenth of the time it takes to open
    // a settings file with long lists, for no change on screen.
    memo->document()->setPlainText(text);
}

} // namespace zestrel
