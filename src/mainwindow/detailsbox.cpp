#include "mainwindow/detailsbox.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

namespace zestrel {

namespace {

const QString kShowDetails = QStringLiteral("Show Details...");
const QString kHideDetails = QStringLiteral("Hide Details...");

} // namespace

DetailsBox::DetailsBox(const QString& title, const QString& text, std::function<QString()> details)
    : details_(std::move(details)), detailsButton_(new QPushButton(kShowDetails, this)),
      detailsView_(new QPlainTextEdit(this))
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

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label);
    layout->addWidget(buttons);
    layout->addWidget(detailsView_);
}

void DetailsBox::toggleDetails()
{
    const bool show = detailsView_->isHidden();
    if (show && !filled_) {
        detailsView_->setPlainText(details_());
        filled_ = true;
    }
    detailsView_->setVisible(show);
    detailsButton_->setText(show ? kHideDetails : kShowDetails);
    if (show)
        detailsView_->setFocus();
}

} // namespace zestrel
