#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QTextBrowser;

// The help page's address for a directory: every backslash turned into a
// forward slash, then "/help.html" (a drive root C:\ gives C://help.html).
QString HelpAddress(const QString& directory);

// The page the viewer opens: the file at the address when it exists, or the
// help page built into the program.
QUrl HelpSource(const QString& address);

// The built-in copy of help.html.
QUrl BuiltInHelpPage();

// Shows help.html from the working directory the process had when the window
// was created.
class TFormHelp : public QDialog {
    Q_OBJECT

public:
    explicit TFormHelp(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Opens the help page anew for every showing.
    void FormActivate();

    QString m_directory;
    QTextBrowser* Web1;
};

// Shows a new help window modally; it is destroyed when it closes, also when
// an exception passes.
void ShowHelp(QWidget* parent);
