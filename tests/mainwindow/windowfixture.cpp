#include "windowfixture.h"

#include "mainwindow/controlrow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QWindow>

QStringList GovernedControls()
{
    QStringList names;
    for (const zestrel::PageLayout& page : zestrel::WindowLayout())
        for (const zestrel::ControlRow& row : page.rows)
            if (row.governor)
                names.append(QString::fromLatin1(row.name));
    return names;
}

bool ScreenIsUpToDate(QWidget* widget)
{
    QCoreApplication::processEvents();
    QWidget* window = widget->window();
    const qreal ratio = window->devicePixelRatio();
    const QImage screen = window->screen()
                              ->grabWindow(window->winId())
                              .toImage()
                              .copy(QRect(widget->mapTo(window, QPoint(0, 0)) * ratio, widget->size() * ratio));
    return screen.convertToFormat(QImage::Format_RGB32) ==
        widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void FillEveryControl(QObject* form)
{
    const char* const switches[][2] = {{"ScriptSetup1", "CheckBox1"}, {"EmailVariables1", "CheckBox2"},
        {"DatabaseRecords1", "CheckBox3"}, {"ViewDatabaseRecords1", "CheckBox4"}, {"ViewDatabaseRecords1", "CheckBox5"},
        {"AlterDatabaseRecords1", "CheckBox6"}, {"AlterDatabaseRecords1", "CheckBox7"}};
    for (const auto& [page, checkBox] : switches)
        TickSwitch(form, page, checkBox);
    auto* picker = Child<QComboBox>(form, "ComboBox1");
    for (const Placed& place : kPlaces) {
        QWidget* control = Child<QWidget>(form, place.control);
        control->window()->findChild<QTabWidget*>()->setCurrentWidget(control->parentWidget()->parentWidget());
        const QStringList lines = QString(place.text).split('\n');
        if (auto* list = qobject_cast<QListView*>(control)) {
            for (const QString& entry : lines) {
                ClickItem(list, static_cast<int>(ListEntries(list).indexOf(entry)));
                QTest::keyClick(list, Qt::Key_Space);
            }
        } else if (auto* grid = qobject_cast<QTableView*>(control)) {
            for (int row = 1; row <= lines.size(); ++row) {
                ClickItem(grid, row, 1);
                // The click is painted before the value is typed, as on screen.
                QCoreApplication::processEvents();
                QTest::keySequence(picker, QKeySequence::SelectAll);
                if (!lines[row - 1].startsWith('$') || !ChooseEntry(picker, lines[row - 1]))
                    QTest::keyClicks(picker, lines[row - 1]);
            }
            // The picked values are shown, not only stored.
            QVERIFY(ScreenIsUpToDate(grid->viewport()));
        } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
            QVERIFY(ChooseEntry(combo, place.text));
        } else {
            SelectAllAndDelete(control);
            TypeLines(control, lines);
        }
    }
}

QString Contents(QObject* form, const char* name)
{
    QWidget* control = Child<QWidget>(form, name);
    QString shown;
    if (auto* check = qobject_cast<QCheckBox*>(control)) {
        shown = check->isChecked() ? "ticked" : "unticked";
    } else if (auto* pages = qobject_cast<QTabWidget*>(control)) {
        shown = pages->currentWidget()->objectName();
    } else if (auto* grid = qobject_cast<QTableView*>(control)) {
        QStringList rows;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            rows.append(Cell(form, row, 0) + "|" + Cell(form, row, 1));
        shown = rows.join(';');
    } else if (auto* list = qobject_cast<QListView*>(control)) {
        QStringList entries;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex entry = list->model()->index(row, 0);
            entries.append((entry.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked ? "+" : "") +
                entry.data().toString());
        }
        shown = "[" + entries.join(',') + "]";
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        shown = combo->currentText() + "[" + ComboEntries(combo).join(',') + "]";
    } else {
        shown = Text(form, name);
    }
    return control->isEnabled() ? shown : shown + " (disabled)";
}

// Drags one file onto `target` and drops it there, as a file manager does:
// its address as a URL and as text, which a text box would take as text.
bool DropFile(QWidget* target, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(QUrl::fromLocalFile(path).toString());
    const QPointF centre = QRectF(target->rect()).center();
    QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    // Offered as copy or move, with move proposed (Shift held): only a copy
    // may be taken, or the file manager would delete the page.
    QDropEvent drop(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot prepare %s", qPrintable(path));
}
