#pragma once

// Drives the main window the way a person does: controls are found by their
// names, typed into, clicked and chosen from menus. Modal boxes and the save
// dialog are answered in advance through the program's seams.
#include "mainwindow/dialogs.h"
#include "mainwindow/mainwindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

template <typename T> T* Child(QObject* root, const char* name)
{
    T* child = root->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return child;
}

// A freshly started main window, shown and activated.
inline std::unique_ptr<TForm1> StartForm()
{
    auto form = std::make_unique<TForm1>();
    form->show();
    if (!QTest::qWaitForWindowActive(form.get()))
        qFatal("the main window did not become active");
    return form;
}

inline void Trigger(QObject* form, const char* action)
{
    Child<QAction>(form, action)->trigger();
}

// Types lines separated by Enter, as a person types a list.
inline void TypeLines(QWidget* edit, const QStringList& lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines[i]);
    }
}

inline void SelectAllAndDelete(QWidget* edit)
{
    QTest::keySequence(edit, QKeySequence::SelectAll);
    QTest::keyClick(edit, Qt::Key_Delete);
}

inline void ClickItem(QAbstractItemView* view, int row, int column = 0)
{
    const QRect cell = view->visualRect(view->model()->index(row, column));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

// Picks an entry of a combo box's list with the arrow keys.
inline bool ChooseEntry(QComboBox* combo, const QString& entry)
{
    const int target = combo->findText(entry, Qt::MatchExactly);
    if (target < 0)
        return false;
    while (combo->currentIndex() != target) {
        const int before = combo->currentIndex();
        QTest::keyClick(combo, before < target ? Qt::Key_Down : Qt::Key_Up);
        if (combo->currentIndex() == before)
            return false;
    }
    return true;
}

inline QStringList ListEntries(const QAbstractItemView* view)
{
    QStringList entries;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        entries.append(model->index(row, 0).data().toString());
    return entries;
}

inline QStringList ComboEntries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    return entries;
}

inline QString StripAccelerator(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return caption;
}

// Compiles through the tool button, answering the success report.
inline void Compile(QObject* form)
{
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(Child<QToolButton>(form, "ToolButton2"), Qt::LeftButton);
}

// Answers left unused by a test would leak into the next one.
inline bool NoAnswersLeft()
{
    const bool clean = zestrel::MessageBoxes::pendingAnswers() == 0 && zestrel::SaveDialog::pendingFileNames() == 0 &&
        zestrel::OpenDialog::pendingFileNames() == 0 && zestrel::FormChoice::pendingChoices() == 0 &&
        zestrel::SettingsDialog::pendingFileNames() == 0;
    zestrel::MessageBoxes::clearPending();
    zestrel::SaveDialog::clearPending();
    zestrel::OpenDialog::clearPending();
    zestrel::FormChoice::clearPending();
    zestrel::SettingsDialog::clearPending();
    return clean;
}

// Runs `handle` on the next modal window as soon as it is open.
inline void OnNextModal(const std::function<void(QWidget*)>& handle)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handle(modal);
        }
    });
    timer->start();
}
