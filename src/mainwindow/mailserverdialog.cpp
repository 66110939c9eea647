#include "mainwindow/mailserverdialog.h"

#include "mainwindow/controls.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zestrel {

namespace {

using Security = scriptgen::SmtpServer::Security;

// The port each kind of security usually takes, in the order of the list.
constexpr int kUsualPorts[] = {587, 465, 25};

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* Note(const QString& text, QWidget* parent)
{
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    return note;
}

struct PresetBoxes {
    const char* name;
    const char* host;
    Security security;
    const char* note;
};
const PresetBoxes kPresets[] = {
    {"Gmail", "smtp.gmail.com", Security::StartTls,
        "Gmail: the user name is your Gmail address and the password an app password, not your usual one (Google "
        "Account, Security, 2-Step Verification, App passwords). From must be that address, or an alias Gmail lets "
        "you send as."},
    {"Microsoft 365", "smtp.office365.com", Security::StartTls,
        "Microsoft 365: the user name is the mailbox's address, and its administrator must allow authenticated SMTP "
        "(SMTP AUTH) for it. From must be that mailbox, or one it may send as."},
    {"Other provider or relay", "", Security::StartTls,
        "Your host's or mail provider's server: its name, port, security and account are in their mail settings, "
        "often as smtp.yourdomain. From must be an address of your domain that the account may send as."},
};

} // namespace

MailServerDialog::MailServerDialog(const MailDelivery& delivery, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MailServerDialog"));
    setWindowTitle(QStringLiteral("Mail Server"));
    setFont(parent->font());

    byPhp_ =
        Named(new QRadioButton(QStringLiteral("PHP's mail() function (the web server's own mail transport)"), this),
            "MailByPhp");
    bySmtp_ =
        Named(new QRadioButton(QStringLiteral("An SMTP server, signed in with an account (mail that arrives)"), this),
            "MailBySmtp");
    preset_ = Named(new QComboBox(this), "SmtpPreset");
    preset_->addItem(QStringLiteral("Fill in for..."));
    for (const PresetBoxes& preset : kPresets)
        preset_->addItem(QLatin1String(preset.name));
    presetNote_ = Named(Note(QStringLiteral("Pick your provider to fill in the server's boxes, then type the user name "
                                            "and password of the account the site sends with."),
                            this),
        "SmtpPresetNote");
    // Room for a provider's note from the start, so that the boxes stay put.
    presetNote_->setMinimumHeight(3 * presetNote_->fontMetrics().lineSpacing());
    host_ = Named(new QLineEdit(this), "SmtpHost");
    host_->setPlaceholderText(QStringLiteral("smtp.example.org"));
    port_ = Named(new QLineEdit(this), "SmtpPort");
    port_->setValidator(new QIntValidator(0, 99999, port_));
    port_->setMaximumWidth(port_->fontMetrics().horizontalAdvance(QStringLiteral("999999")) + 12);
    security_ = Named(new QComboBox(this), "SmtpSecurity");
    security_->addItems(
        {QStringLiteral("STARTTLS (usually port 587)"), QStringLiteral("TLS from the start (usually port 465)"),
            QStringLiteral("None (only for a server on the same machine)")});
    user_ = Named(new QLineEdit(this), "SmtpUser");
    password_ = Named(new QLineEdit(this), "SmtpPassword");
    MaskWithShowAction(password_);
    from_ = Named(new QLineEdit(this), "MailFrom");
    from_->setPlaceholderText(QStringLiteral("webmaster@example.org"));

    auto* server = new QFormLayout;
    server->addRow(QStringLiteral("Presets:"), preset_);
    server->addRow(presetNote_);
    server->addRow(QStringLiteral("Host:"), host_);
    server->addRow(QStringLiteral("Port:"), port_);
    server->addRow(QStringLiteral("Security:"), security_);
    server->addRow(QStringLiteral("User name:"), user_);
    server->addRow(QStringLiteral("Password:"), password_);
    server->setContentsMargins(24, 0, 0, 0);
    auto* sender = new QFormLayout;
    sender->addRow(QStringLiteral("The site's From address:"), from_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Note(QStringLiteral("How the safe script delivers its mail:"), this));
    layout->addWidget(byPhp_);
    layout->addWidget(bySmtp_);
    layout->addLayout(server);
    layout->addLayout(sender);
    layout->addWidget(Note(QStringLiteral("Mail comes from this address, so it must be one of your site's domain or "
                                          "mail account: receiving servers check it (SPF, DKIM, DMARC) and put other "
                                          "mail in spam. A visitor's address goes to Reply-To. Empty: the web "
                                          "server's own address."),
        this));
    layout->addWidget(Note(QStringLiteral("The password is written into the script, never into settings files. "
                                          "Classic scripts always use PHP's mail() and ignore these settings."),
        this));
    layout->addWidget(buttons);

    const scriptgen::SmtpServer smtp = delivery.smtp.value_or(scriptgen::SmtpServer{});
    (delivery.smtp ? bySmtp_ : byPhp_)->setChecked(true);
    host_->setText(FromUtf8(smtp.host));
    port_->setText(QString::number(smtp.port));
    shownSecurity_ = static_cast<int>(smtp.security);
    security_->setCurrentIndex(shownSecurity_);
    user_->setText(FromUtf8(smtp.userName));
    password_->setText(FromUtf8(smtp.password));
    // An account whose password a settings file could not keep.
    if (!smtp.userName.empty())
        password_->setPlaceholderText(TypeAgainText());
    from_->setText(FromUtf8(delivery.from));
    transportChosen();

    connect(bySmtp_, &QRadioButton::toggled, this, &MailServerDialog::transportChosen);
    connect(preset_, &QComboBox::activated, this, &MailServerDialog::fillIn);
    connect(security_, &QComboBox::activated, this, &MailServerDialog::securityChosen);
    setMinimumWidth(480);
}

MailDelivery MailServerDialog::delivery() const
{
    MailDelivery delivery;
    delivery.from = from_->text().toStdString();
    if (bySmtp_->isChecked()) {
        scriptgen::SmtpServer smtp;
        smtp.host = host_->text().toStdString();
        smtp.port = port_->text().toInt();
        smtp.security = static_cast<Security>(security_->currentIndex());
        smtp.userName = user_->text().toStdString();
        smtp.password = password_->text().toStdString();
        delivery.smtp = smtp;
    }
    return delivery;
}

// A preset fills the server's boxes and says what the provider asks for; the
// account and the From address stay the user's.
void MailServerDialog::fillIn(int preset)
{
    if (preset < Gmail || preset > OtherServer)
        return;
    const PresetBoxes& boxes = kPresets[preset - Gmail];
    bySmtp_->setChecked(true);
    host_->setText(QLatin1String(boxes.host));
    security_->setCurrentIndex(static_cast<int>(boxes.security));
    securityChosen(security_->currentIndex());
    port_->setText(QString::number(kUsualPorts[static_cast<int>(boxes.security)]));
    presetNote_->setText(QLatin1String(boxes.note));
    preset_->setCurrentIndex(0);
    // A longer note than there was room for makes the dialog taller.
    const int needed =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : layout()->totalSizeHint().height();
    if (needed > height())
        resize(width(), needed);
}

// A port that was the usual one of the former security becomes the usual one
// of the new; a port typed by the user stays.
void MailServerDialog::securityChosen(int index)
{
    if (port_->text().toInt() == kUsualPorts[shownSecurity_])
        port_->setText(QString::number(kUsualPorts[index]));
    shownSecurity_ = index;
}

void MailServerDialog::transportChosen()
{
    for (QWidget* box : std::initializer_list<QWidget*>{host_, port_, security_, user_, password_})
        box->setEnabled(bySmtp_->isChecked());
}

} // namespace zestrel
