#pragma once

#include "mainwindow/mailserverdialog.h"
#include "mainwindow/settingspage.h"

class QCheckBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace zestrel {

class CheckListModel;
class LabeledEdit;

// The page "Email Variables": the mail's addresses and subject, the fields
// it carries and the pages the visitor goes to.
class EmailVariablesPage : public SettingsPage {
    Q_OBJECT
public:
    explicit EmailVariablesPage(QWidget* parent);

    // The entries of the mail list, one per line of the field list, all
    // unticked.
    void setMailEntries(const QStringList& entries);

public slots:
    void CheckBox2Click();
    void Button3Click();

private:
    QCheckBox* CheckBox2;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    QLineEdit* Edit8;
    QPushButton* Button3;
    MailDelivery delivery_; // what the dialog "Mail Server" holds
    QListView* CheckListBox1;
    CheckListModel* checkListModel_;
    LabeledEdit* LabeledEdit1;
    LabeledEdit* LabeledEdit2;
};

} // namespace zestrel
