#pragma once

#include <QDialog>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace zestrel {

// A plain message box, no icon and one OK button, with a "Show Details..."
// button that shows a long text below the message: read-only, selectable and
// copyable, lines unwrapped. The text is asked for only when the details are
// first shown, so a long one costs nothing until the user wants it.
class DetailsBox : public QDialog {
    Q_OBJECT
public:
    DetailsBox(const QString& title, const QString& text, std::function<QString()> details);

private:
    void toggleDetails();

    std::function<QString()> details_;
    bool filled_ = false;
    QPushButton* detailsButton_;
    QPlainTextEdit* detailsView_;
};

} // namespace zestrel
