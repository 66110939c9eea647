#include "mainwindow/detailsbox.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

#include <utility>

namespace zestrel {

namespace {

const QString kShowDetails = QStringLiteral("Show Details...");
const QString kHideDetails = QStringLiteral("Hide Details...");
// Where the size of the box with its details shown is kept.
const QString kSizeKey = QStringLiteral("detailsBoxSize");

} // namespace

DetailsBox::DetailsBox(
    const QString& title, const QString& text, std::function<QString()> details, const std::function<void()>& save)
    : details_(std::move(details)), detailsButton_(new QPushButton(kShowDetails, this)),
      detailsView_(new QPlainTextEdit(this)), detailsBar_(new QWidget(this))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("DetailsBox"));

    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("Text"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setDefault(true);
    detailsButton_->setObjectName(QStringLiteral("DetailsButton"));
    detailsButton_->setAutoDefault(false);
    buttons->addButton(detailsButton_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(detailsButton_, &QPushButton::clicked, this, &DetailsBox::toggleDetails);

    detailsView_->setObjectName(QStringLiteral("Details"));
    detailsView_->setReadOnly(true);
    detailsView_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    detailsView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    detailsView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    detailsView_->setMinimumSize(480, 240);
    detailsView_->hide();

    auto* bar = new QHBoxLayout(detailsBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addStretch();
    auto* copy = new QPushButton(QStringLiteral("Copy"), detailsBar_);
    copy->setObjectName(QStringLiteral("CopyButton"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this,
        [this] { QGuiApplication::clipboard()->setText(detailsView_->toPlainText()); });
    bar->addWidget(copy);
    if (save) {
        auto* saveButton = new QPushButton(QStringLiteral("Save Script"), detailsBar_);
        saveButton->setObjectName(QStringLiteral("SaveScriptButton"));
        saveButton->setAutoDefault(false);
        connect(saveButton, &QPushButton::clicked, this, save);
        bar->addWidget(saveButton);
    }
    detailsBar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label);
    layout->addWidget(buttons);
    layout->addWidget(detailsView_, 1);
    layout->addWidget(detailsBar_);
}

void DetailsBox::done(int result)
{
    if (detailsView_->isVisible())
        QSettings().setValue(kSizeKey, size());
    QDialog::done(result);
}

void DetailsBox::toggleDetails()
{
    const bool show = detailsView_->isHidden();
    if (show && !filled_) {
        detailsView_->setPlainText(details_());
        filled_ = true;
    }
    if (!show)
        QSettings().setValue(kSizeKey, size());
    detailsView_->setVisible(show);
    detailsBar_->setVisible(show);
    detailsButton_->setText(show ? kHideDetails : kShowDetails);
    // Only the box with its details can be resized: to the size it had.
    layout()->setSizeConstraint(show ? QLayout::SetDefaultConstraint : QLayout::SetFixedSize);
    setSizeGripEnabled(show);
    if (show) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        const QSize kept = QSettings().value(kSizeKey).toSize();
        resize(kept.isValid() ? kept.expandedTo(minimumSizeHint()) : sizeHint());
        detailsView_->setFocus();
    }
}

} // namespace zestrel
