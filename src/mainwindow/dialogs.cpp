#include "mainwindow/dialogs.h"

#include "mainwindow/controls.h"
#include "mainwindow/detailsbox.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QQueue>
#include <QStringList>

#include <utility>

namespace zestrel {

namespace {

QQueue<QMessageBox::StandardButton>& Answers()
{
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}

QList<MessageBoxes::Shown>& ShownBoxes()
{
    static QList<MessageBoxes::Shown> shown;
    return shown;
}

QStringList& OpenedWith()
{
    static QStringList names;
    return names;
}

QStringList& SettingsOpenedAt()
{
    static QStringList places;
    return places;
}

QQueue<int>& Choices()
{
    static QQueue<int> rows;
    return rows;
}

QList<QStringList>& Offered()
{
    static QList<QStringList> lists;
    return lists;
}

bool AnsweredInAdvance(MessageBoxes::Kind kind, const QString& title, const QString& text,
    QMessageBox::StandardButton* answer, const std::function<QString()>& details = {})
{
    if (Answers().isEmpty())
        return false;
    *answer = Answers().dequeue();
    ShownBoxes().append({kind, title, text, details ? details() : QString()});
    return true;
}

void Prepare(QMessageBox& box)
{
    // Boxes have no parent to take the font from; they speak in the
    // window's font rather than the application's wider one.
    box.setFont(DialogFont());
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.setWindowModality(Qt::ApplicationModal);
}

// Without a parent the box is centred on the screen.
void ShowBox(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok);
    Prepare(box);
    box.exec();
}

} // namespace

void MessageBoxes::information(const QString& title, const QString& text)
{
    QMessageBox::StandardButton answer;
    if (!AnsweredInAdvance(Kind::Information, title, text, &answer))
        ShowBox(QMessageBox::NoIcon, title, text);
}

void MessageBoxes::warning(const QString& title, const QString& text)
{
    QMessageBox::StandardButton answer;
    if (!AnsweredInAdvance(Kind::Warning, title, text, &answer))
        ShowBox(QMessageBox::Warning, title, text);
}

void MessageBoxes::error(const QString& title, const QString& text)
{
    QMessageBox::StandardButton answer;
    if (!AnsweredInAdvance(Kind::Error, title, text, &answer))
        ShowBox(QMessageBox::Critical, title, text);
}

void MessageBoxes::information(const QString& title, const QString& text, const std::function<QString()>& details,
    const std::function<void()>& save)
{
    QMessageBox::StandardButton answer;
    if (AnsweredInAdvance(Kind::Information, title, text, &answer, details))
        return;
    DetailsBox box(title, text, details, save);
    box.setFont(DialogFont());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QMessageBox::StandardButton MessageBoxes::confirm(const QString& text)
{
    const QString title = QStringLiteral("Confirm");
    QMessageBox::StandardButton answer;
    if (AnsweredInAdvance(Kind::Question, title, text, &answer))
        return answer;
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    Prepare(box);
    box.move(300, 200);
    const int result = box.exec();
    return result == QMessageBox::Yes || result == QMessageBox::No ? static_cast<QMessageBox::StandardButton>(result)
                                                                   : QMessageBox::Cancel;
}

QMessageBox::StandardButton MessageBoxes::askToSave(const QString& title, const QString& text)
{
    QMessageBox::StandardButton answer;
    if (AnsweredInAdvance(Kind::Question, title, text, &answer))
        return answer;
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    Prepare(box);
    const int result = box.exec();
    return result == QMessageBox::Save || result == QMessageBox::Discard
        ? static_cast<QMessageBox::StandardButton>(result)
        : QMessageBox::Cancel;
}

void MessageBoxes::setNextAnswer(QMessageBox::StandardButton answer)
{
    Answers().enqueue(answer);
}

int MessageBoxes::pendingAnswers()
{
    return static_cast<int>(Answers().size());
}

void MessageBoxes::clearPending()
{
    Answers().clear();
}

QList<MessageBoxes::Shown> MessageBoxes::takeShown()
{
    return std::exchange(ShownBoxes(), {});
}

SaveDialog::SaveDialog(QObject* parent) : QObject(parent), filter_(QStringLiteral("PHP Files (*.php)")) {}

QString SaveDialog::execute(QWidget* parent)
{
    QString chosen;
    if (!names().isEmpty()) {
        OpenedWith().append(fileName_);
        chosen = names().dequeue();
    } else {
        // Overwriting is asked by the caller, about the file it really writes.
        chosen = QFileDialog::getSaveFileName(
            parent, QString(), fileName_, filter_, nullptr, QFileDialog::DontConfirmOverwrite);
    }
    if (!chosen.isEmpty())
        fileName_ = chosen;
    return chosen;
}

QStringList SaveDialog::takeOpenedWith()
{
    return std::exchange(OpenedWith(), {});
}

OpenDialog::OpenDialog(QObject* parent)
    : QObject(parent), filter_(QStringLiteral("HTML Files (*.html *.htm *.php *.shtml);;All Files (*)"))
{
}

QString OpenDialog::execute(QWidget* parent)
{
    QString chosen = !names().isEmpty()
        ? names().dequeue()
        : QFileDialog::getOpenFileName(parent, QStringLiteral("Read Form"), fileName_, filter_);
    if (!chosen.isEmpty())
        fileName_ = chosen;
    return chosen;
}

SettingsDialog::SettingsDialog(QObject* parent)
    : QObject(parent), filter_(QStringLiteral("Zestrel Settings (*.zestrel);;All Files (*)"))
{
}

QString SettingsDialog::chooseToOpen(QWidget* parent, const QString& start)
{
    if (!names().isEmpty()) {
        SettingsOpenedAt().append(start);
        return names().dequeue();
    }
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Settings"), start, filter_);
}

QString SettingsDialog::chooseToSave(QWidget* parent, const QString& start)
{
    if (!names().isEmpty()) {
        SettingsOpenedAt().append(start);
        return names().dequeue();
    }
    // Replacing is asked by the caller, about the file it really writes.
    return QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save Settings"), start, filter_, nullptr, QFileDialog::DontConfirmOverwrite);
}

QStringList SettingsDialog::takeOpenedAt()
{
    return std::exchange(SettingsOpenedAt(), {});
}

int FormChoice::choose(QWidget* parent, const QStringList& entries)
{
    if (!Choices().isEmpty()) {
        Offered().append(entries);
        return Choices().dequeue();
    }
    QInputDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Read Form"));
    dialog.setLabelText(QStringLiteral("The page holds several forms. Which one's fields should fill the list?"));
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setComboBoxItems(entries);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return static_cast<int>(entries.indexOf(dialog.textValue()));
}

void FormChoice::setNextChoice(int row)
{
    Choices().enqueue(row);
}

int FormChoice::pendingChoices()
{
    return static_cast<int>(Choices().size());
}

void FormChoice::clearPending()
{
    Choices().clear();
}

QList<QStringList> FormChoice::takeOffered()
{
    return std::exchange(Offered(), {});
}

} // namespace zestrel
