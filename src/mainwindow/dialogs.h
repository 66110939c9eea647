#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QString>

#include <functional>

class QWidget;

namespace zestrel {

// Every message box of the program goes through here. Production shows the
// real box, its text selectable so that a path or an address can be copied;
// tests answer in advance with setNextAnswer(), and the box is then recorded
// instead of shown, so no test ever blocks on a modal box.
class MessageBoxes {
public:
    enum class Kind { Information, Warning, Error, Question };
    struct Shown {
        Kind kind;
        QString title;
        QString text;
        QString details;
    };

    // Plain box: no icon, one OK button, centred on the screen.
    static void information(const QString& title, const QString& text);
    // Warning icon and one OK button.
    static void warning(const QString& title, const QString& text);
    // Error icon and one OK button.
    static void error(const QString& title, const QString& text);
    // The plain box with a "Show Details..." button that shows the text
    // `details` returns; it is asked for only when the details are shown.
    // With `save`, a Save Script button beside the details runs it.
    static void information(const QString& title, const QString& text, const std::function<QString()>& details,
        const std::function<void()>& save = {});
    // The "Confirm" box with Yes (default), No and Cancel (Escape), placed at
    // screen position 300, 200. Returns the button chosen; closing the box
    // counts as Cancel.
    static QMessageBox::StandardButton confirm(const QString& text);
    // A question with Save (default), Discard and Cancel (Escape), asked
    // before unsaved changes would be lost. Closing the box counts as Cancel.
    static QMessageBox::StandardButton askToSave(const QString& title, const QString& text);

    static void setNextAnswer(QMessageBox::StandardButton answer);
    static int pendingAnswers();
    // Drops answers no box used.
    static void clearPending();
    // The boxes answered in advance since the last call, oldest first.
    static QList<Shown> takeShown();
};

// File names for a kind of file dialog, given by tests in advance: while
// there are some, the dialog takes the next one instead of showing itself.
template <typename Dialog> class FileNamesInAdvance {
public:
    static void setNextFileName(const QString& name) { names().enqueue(name); }
    static int pendingFileNames() { return static_cast<int>(names().size()); }
    // Drops names no dialog used.
    static void clearPending() { names().clear(); }

protected:
    static QQueue<QString>& names()
    {
        static QQueue<QString> queue;
        return queue;
    }
};

// The save dialog: one object for the whole run, remembering the full name it
// returned last and opening with it. Production shows the system's dialog;
// tests answer in advance with setNextFileName() (an empty name cancels).
class SaveDialog : public QObject, public FileNamesInAdvance<SaveDialog> {
    Q_OBJECT
public:
    explicit SaveDialog(QObject* parent = nullptr);

    QString filter() const { return filter_; }
    QString fileName() const { return fileName_; }
    // The dialog opens with this name next time, as if it had returned it.
    void propose(const QString& fileName) { fileName_ = fileName; }

    // The chosen full name, or an empty string when the user cancelled.
    QString execute(QWidget* parent);

    // The names the answered dialogs opened with, oldest first.
    static QStringList takeOpenedWith();

private:
    QString filter_;
    QString fileName_;
};

// The open dialog for form pages, opening at the page chosen last.
// Production shows the system's dialog; tests answer in advance with
// setNextFileName() (an empty name cancels).
class OpenDialog : public QObject, public FileNamesInAdvance<OpenDialog> {
    Q_OBJECT
public:
    explicit OpenDialog(QObject* parent = nullptr);

    QString filter() const { return filter_; }
    // The page chosen last.
    QString fileName() const { return fileName_; }
    // The dialog opens at this page next time, as if it had been chosen.
    void propose(const QString& fileName) { fileName_ = fileName; }

    // The chosen full name, or an empty string when the user cancelled.
    QString execute(QWidget* parent);

private:
    QString filter_;
    QString fileName_;
};

// The dialogs that choose a settings file to open or to save to, each
// opening at the name or folder it is given. Production shows the system's
// dialogs; tests answer in advance with setNextFileName() (an empty name
// cancels) and read where the answered dialogs opened with takeOpenedAt().
class SettingsDialog : public QObject, public FileNamesInAdvance<SettingsDialog> {
    Q_OBJECT
public:
    explicit SettingsDialog(QObject* parent = nullptr);

    QString filter() const { return filter_; }

    // The chosen full name, or an empty string when the user cancelled.
    QString chooseToOpen(QWidget* parent, const QString& start);
    QString chooseToSave(QWidget* parent, const QString& start);

    static QStringList takeOpenedAt();

private:
    QString filter_;
};

// The short list the user picks one form from when a page holds several.
// Production shows a modal list; tests answer in advance with setNextChoice()
// (-1 cancels) and read the lists offered with takeOffered().
class FormChoice {
public:
    // The row chosen, or -1 when the user cancelled.
    static int choose(QWidget* parent, const QStringList& entries);

    static void setNextChoice(int row);
    static int pendingChoices();
    // Drops answers no list used.
    static void clearPending();
    // The lists answered in advance since the last call, oldest first.
    static QList<QStringList> takeOffered();
};

} // namespace zestrel
