#pragma once

#include "mainwindow/mailserverdialog.h"
#include "mainwindow/settingspage.h"

namespace zestrel {

class CheckListModel;

// The page "Email Variables": the mail's addresses and subject, the fields
// it carries, the mail server and the pages the visitor goes to.
class EmailVariablesPage : public SettingsPage {
    Q_OBJECT
public:
    EmailVariablesPage(const PageParts& parts, QWidget* parent);
    static const PageLayout& Layout();

    // The entries of the mail list, one per line of the field list, all
    // unticked.
    void setMailEntries(const QStringList& entries);
    // The ticked entries of the mail list, in its order.
    QStringList tickedEntries() const;
    // Ticks again each of the entries that the list still holds; returns
    // those it no longer holds.
    QStringList tickAgain(const QStringList& ticked);

public slots:
    void CheckBox2Click();
    void Button3Click();

private:
    void showMailWay();

    CheckListModel* ticks_;
    MailDelivery delivery_; // what the dialog "Mail Server" holds
};

} // namespace zestrel
