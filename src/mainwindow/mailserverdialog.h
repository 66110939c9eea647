#pragma once

#include "scriptgen/settings.h"

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace zestrel {

// How the safe script delivers its mail: the SMTP server (none for PHP's
// mail()) and the site's own From address.
struct MailDelivery {
    std::optional<scriptgen::SmtpServer> smtp;
    std::string from;

    bool operator==(const MailDelivery&) const = default;
};

// The dialog "Mail Server": PHP's mail() or an SMTP server with its name,
// port, security and account, the site's From address, and presets that
// fill the boxes for common providers.
class MailServerDialog : public QDialog {
    Q_OBJECT
public:
    MailServerDialog(const MailDelivery& delivery, QWidget* parent);

    // What the boxes say now.
    MailDelivery delivery() const;

    // The presets, in the order of the list, after its prompt.
    enum Preset { Gmail = 1, Microsoft365, OtherServer };

private:
    void fillIn(int preset);
    void securityChosen(int index);
    void transportChosen();

    QRadioButton* byPhp_;
    QRadioButton* bySmtp_;
    QComboBox* preset_;
    QLabel* presetNote_;
    QLineEdit* host_;
    QLineEdit* port_;
    QComboBox* security_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* from_;
    int shownSecurity_ = 0;
};

} // namespace zestrel
