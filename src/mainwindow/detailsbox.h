#pragma once

#include <QDialog>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace zestrel {

// A plain message box, no icon and one OK button, with a "Show Details..."
// button that shows a long text below the message: read-only, selectable and
// copyable, lines unwrapped, with a Copy button and, given `save`, a Save
// Script button. The text is asked for only when the details are first
// shown, so a long one costs nothing until the user wants it. With the
// details shown the box can be resized, and keeps its size for the next time.
class DetailsBox : public QDialog {
    Q_OBJECT
public:
    DetailsBox(const QString& title, const QString& text, std::function<QString()> details,
        const std::function<void()>& save = {});

    void done(int result) override;

private:
    void toggleDetails();

    std::function<QString()> details_;
    bool filled_ = false;
    QPushButton* detailsButton_;
    QPlainTextEdit* detailsView_;
    QWidget* detailsBar_;
};

} // namespace zestrel
