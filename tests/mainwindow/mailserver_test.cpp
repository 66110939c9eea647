// The dialog "Mail Server" of the page Email Variables: presets that fill
// the server's boxes, the port that follows the security, OK and Cancel,
// the safe compile that sends through the server while the classic one does
// not change, and the check that points at the button.
#include "mailserver_test.h"

#include "scriptgen/compiler.h"
#include "windowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

using Security = scriptgen::SmtpServer::Security;

// The boxes of the dialog as one line: transport, host, port, security, user,
// password, From.
QString Boxes(QWidget* dialog)
{
    return QStringList{Child<QRadioButton>(dialog, "MailBySmtp")->isChecked() ? "smtp" : "mail()",
        Child<QLineEdit>(dialog, "SmtpHost")->text(), Child<QLineEdit>(dialog, "SmtpPort")->text(),
        QString::number(Child<QComboBox>(dialog, "SmtpSecurity")->currentIndex()),
        Child<QLineEdit>(dialog, "SmtpUser")->text(), Child<QLineEdit>(dialog, "SmtpPassword")->text(),
        Child<QLineEdit>(dialog, "MailFrom")->text()}
        .join('|');
}

void Press(QWidget* dialog, QDialogButtonBox::StandardButton button)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(button), Qt::LeftButton);
}

void TypeInto(QWidget* dialog, const char* name, const QString& text)
{
    auto* edit = Child<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Opens the dialog on the page Email Variables, with the mail switched on,
// and lets `handle` work it.
void WithDialog(TForm1* form, const std::function<void(QWidget*)>& handle)
{
    Trigger(form, "EmailVariables1");
    if (!Child<QCheckBox>(form, "CheckBox2")->isChecked())
        Click(form, "CheckBox2");
    bool handled = false;
    OnNextModal([&](QWidget* dialog) {
        handle(dialog);
        handled = true;
    });
    Click(form, "Button3");
    QVERIFY(handled);
}

// Fills the dialog as a site owner would for the shop's provider.
void FillShopServer(QWidget* dialog)
{
    Child<QRadioButton>(dialog, "MailBySmtp")->click();
    TypeInto(dialog, "SmtpHost", "smtp.shop.test");
    Child<QComboBox>(dialog, "SmtpSecurity")->setCurrentIndex(1);
    TypeInto(dialog, "SmtpPort", "465");
    TypeInto(dialog, "SmtpUser", "website@shop.test");
    // Typed at once: the test's keyboard knows no accents.
    Child<QLineEdit>(dialog, "SmtpPassword")->setText("app password \u00e9'\\");
    TypeInto(dialog, "MailFrom", "website@shop.test");
}

} // namespace

void MailServerTest::presetsFillTheServersBoxes_data()
{
    QTest::addColumn<int>("preset");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("note");
    QTest::newRow("Gmail") << 1 << "smtp|smtp.gmail.com|587|0|ada|secret|ada@shop.test"
                           << "app password";
    QTest::newRow("Microsoft 365") << 2 << "smtp|smtp.office365.com|587|0|ada|secret|ada@shop.test"
                                   << "(SMTP AUTH)";
    QTest::newRow("another provider") << 3 << "smtp||587|0|ada|secret|ada@shop.test"
                                      << "smtp.yourdomain";
}

void MailServerTest::presetsFillTheServersBoxes()
{
    QFETCH(int, preset);
    QFETCH(QString, boxes);
    QFETCH(QString, note);
    const auto form = StartForm();
    const auto* way = Child<QLabel>(form.get(), "Label27");
    QVERIFY2(way->text().contains("PHP's mail()"), qPrintable(way->text()));
    WithDialog(form.get(), [&](QWidget* dialog) {
        // The password is masked, with the action that shows it.
        QCOMPARE(Child<QLineEdit>(dialog, "SmtpPassword")->echoMode(), QLineEdit::Password);
        QVERIFY(dialog->findChild<QAction*>("SmtpPasswordShow"));
        // The account and the address stay the user's; the server's boxes
        // and the transport are filled in.
        Child<QRadioButton>(dialog, "MailBySmtp")->click();
        TypeInto(dialog, "SmtpHost", "old.shop.test");
        TypeInto(dialog, "SmtpPort", "2525");
        Child<QComboBox>(dialog, "SmtpSecurity")->setCurrentIndex(2);
        TypeInto(dialog, "SmtpUser", "ada");
        TypeInto(dialog, "SmtpPassword", "secret");
        TypeInto(dialog, "MailFrom", "ada@shop.test");
        Child<QRadioButton>(dialog, "MailByPhp")->click();
        QVERIFY(!Child<QLineEdit>(dialog, "SmtpHost")->isEnabled());
        auto* presets = Child<QComboBox>(dialog, "SmtpPreset");
        presets->setCurrentIndex(preset);
        emit presets->activated(preset);
        QCOMPARE(Boxes(dialog), boxes);
        QVERIFY(Child<QLineEdit>(dialog, "SmtpHost")->isEnabled());
        // The list reads "Fill in for..." again, so the same preset fills
        // the boxes again after the user changed them.
        QCOMPARE(presets->currentIndex(), 0);
        TypeInto(dialog, "SmtpPort", "2525");
        presets->setCurrentIndex(preset);
        emit presets->activated(preset);
        QCOMPARE(Boxes(dialog), boxes);
        // The notes wrap, so the dialog fits a small screen.
        QVERIFY2(dialog->isVisible() && dialog->width() <= 640 && dialog->minimumSizeHint().width() <= 640,
            qPrintable(QString::number(dialog->minimumSizeHint().width())));
        QVERIFY2(Child<QLabel>(dialog, "SmtpPresetNote")->text().contains(note),
            qPrintable(Child<QLabel>(dialog, "SmtpPresetNote")->text()));
        Press(dialog, QDialogButtonBox::Ok);
    });
    const scriptgen::ScriptSettings s = form->CurrentSettings();
    QVERIFY(s.smtp.has_value());
    QCOMPARE(QString::fromStdString(s.smtp->host), boxes.section('|', 1, 1));
    QCOMPARE(s.smtp->port, 587);
    QCOMPARE(s.smtp->security, Security::StartTls);
    QCOMPARE(s.smtp->password, std::string("secret"));
    QCOMPARE(s.mailFrom, std::string("ada@shop.test"));
    // The page says how mail will go.
    const QString host = QString::fromStdString(s.smtp->host);
    QVERIFY2(
        way->text().contains(host.isEmpty() ? "Mail Server..." : host + ":587 with STARTTLS"), qPrintable(way->text()));
}

void MailServerTest::securityBringsItsUsualPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("after");
    QTest::newRow("587 to TLS") << "587" << 1 << "465";
    QTest::newRow("587 to none") << "587" << 2 << "25";
    QTest::newRow("587 stays with STARTTLS") << "587" << 0 << "587";
    QTest::newRow("a port of its own stays") << "2525" << 1 << "2525";
    QTest::newRow("465 is TLS's own, not STARTTLS's") << "465" << 2 << "465";
}

void MailServerTest::securityBringsItsUsualPort()
{
    QFETCH(QString, port);
    QFETCH(int, security);
    QFETCH(QString, after);
    const auto form = StartForm();
    WithDialog(form.get(), [&](QWidget* dialog) {
        Child<QRadioButton>(dialog, "MailBySmtp")->click();
        TypeInto(dialog, "SmtpPort", port);
        auto* choice = Child<QComboBox>(dialog, "SmtpSecurity");
        choice->setCurrentIndex(security);
        emit choice->activated(security);
        QCOMPARE(Child<QLineEdit>(dialog, "SmtpPort")->text(), after);
        Press(dialog, QDialogButtonBox::Cancel);
    });
}

void MailServerTest::eachBoxHasItsCaptionInOrder()
{
    const auto form = StartForm();
    QStringList shown;
    WithDialog(form.get(), [&](QWidget* dialog) {
        Child<QRadioButton>(dialog, "MailBySmtp")->click();
        int above = -1;
        for (const char* name :
            {"SmtpPreset", "SmtpHost", "SmtpPort", "SmtpSecurity", "SmtpUser", "SmtpPassword", "MailFrom"}) {
            auto* box = Child<QWidget>(dialog, name);
            QString caption;
            for (const QFormLayout* rows : dialog->findChildren<QFormLayout*>()) {
                if (const auto* label = qobject_cast<QLabel*>(rows->labelForField(box)))
                    caption = label->isVisible() && label->geometry().right() < box->geometry().left() ? label->text()
                                                                                                       : "(misplaced)";
            }
            // Each row below the one before, as the user reads them.
            if (!box->isVisible() || box->geometry().top() <= above)
                caption += " (out of order)";
            above = box->geometry().top();
            shown.append(caption);
        }
        Press(dialog, QDialogButtonBox::Cancel);
    });
    QCOMPARE(shown,
        (QStringList{
            "Presets:", "Host:", "Port:", "Security:", "User name:", "Password:", "The site's From address:"}));
}

void MailServerTest::cancelKeepsWhatWasThere()
{
    const auto form = StartForm();
    WithDialog(form.get(), [](QWidget* dialog) {
        QCOMPARE(Boxes(dialog), QString("mail()||587|0|||"));
        FillShopServer(dialog);
        Press(dialog, QDialogButtonBox::Ok);
    });
    const scriptgen::ScriptSettings typed = form->CurrentSettings();
    WithDialog(form.get(), [](QWidget* dialog) {
        QCOMPARE(Boxes(dialog),
            QString("smtp|smtp.shop.test|465|1|website@shop.test|app password \u00e9'\\|"
                    "website@shop.test"));
        Child<QRadioButton>(dialog, "MailByPhp")->click();
        TypeInto(dialog, "MailFrom", "other@shop.test");
        Press(dialog, QDialogButtonBox::Cancel);
    });
    QCOMPARE(form->CurrentSettings().smtp, typed.smtp);
    QCOMPARE(form->CurrentSettings().mailFrom, typed.mailFrom);
    // New Script keeps the site's mail server, as it keeps the result pages.
    Trigger(form.get(), "NewScript1");
    QCOMPARE(form->CurrentSettings().smtp, typed.smtp);
    WithDialog(form.get(), [](QWidget* dialog) {
        Child<QRadioButton>(dialog, "MailByPhp")->click();
        Press(dialog, QDialogButtonBox::Ok);
    });
    QVERIFY(!form->CurrentSettings().smtp.has_value());
    QCOMPARE(form->CurrentSettings().mailFrom, std::string("website@shop.test"));
}

void MailServerTest::theSafeScriptSendsThroughTheServer()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name", "email"});
    WithDialog(form.get(), [](QWidget* dialog) {
        FillShopServer(dialog);
        Press(dialog, QDialogButtonBox::Ok);
    });
    for (const auto& [edit, text] : {std::pair{"Edit6", "owner@shop.test"}, {"Edit7", "Hello"}, {"Edit8", "$email"},
             {"LabeledEdit1", "thanks.html"}, {"LabeledEdit2", "sorry.html"}})
        TypeOver(form.get(), edit, QString::fromUtf8(text));
    auto* variables = Child<QListView>(form.get(), "CheckListBox1");
    variables->model()->setData(variables->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);

    // The classic script always uses mail(), and does not change by a byte.
    Compile(form.get());
    scriptgen::ScriptSettings without = form->CurrentSettings();
    without.smtp.reset();
    without.mailFrom.clear();
    QCOMPARE(form->ScriptBuffer(), scriptgen::CompileScript(without));

    Trigger(form.get(), "ScriptSetup1");
    Click(form.get(), "CheckBox8");
    zestrel::MessageBoxes::takeShown();
    Compile(form.get());
    QCOMPARE(zestrel::MessageBoxes::takeShown().value(0).text, QString("Script Successfully compiled!"));
    const QString script = QString::fromStdString([&] {
        std::string text;
        for (const std::string& line : form->ScriptBuffer())
            text += line + "\n";
        return text;
    }());
    QVERIFY(script.contains("zestrel_smtp_send(['host' => 'smtp.shop.test', 'port' => 465, 'security' => 'tls', "
                            "'user' => 'website@shop.test', 'password' => 'app password \u00e9\\'\\\\'], "
                            "'website@shop.test',"));
    QVERIFY(!script.contains("mail($to"));
}

void MailServerTest::theCheckPointsAtTheButton()
{
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"name"});
    WithDialog(form.get(), [](QWidget* dialog) {
        FillShopServer(dialog);
        Child<QLineEdit>(dialog, "MailFrom")->clear();
        Press(dialog, QDialogButtonBox::Ok);
    });
    for (const auto& [edit, text] : {std::pair{"Edit6", "owner@shop.test"}, {"Edit7", "Hello"},
             {"LabeledEdit1", "thanks.html"}, {"LabeledEdit2", "sorry.html"}})
        TypeOver(form.get(), edit, QString::fromUtf8(text));
    auto* variables = Child<QListView>(form.get(), "CheckListBox1");
    variables->model()->setData(variables->model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
    Trigger(form.get(), "ScriptSetup1");
    Click(form.get(), "CheckBox8");
    zestrel::MessageBoxes::takeShown();
    Compile(form.get());
    const QString text = zestrel::MessageBoxes::takeShown().value(0).text;
    QVERIFY2(text.contains("\u2022 Mail Server: mail through an SMTP server needs the site's own From address"),
        qPrintable(text));
    QCOMPARE(Child<QTabWidget>(form.get(), "PageControl1")->currentWidget(), Child<QWidget>(form.get(), "TabSheet2"));
    // The focus the window gives back once active again after the dialog.
    QCOMPARE(form->focusWidget(), Child<QWidget>(form.get(), "Button3"));
}

QTEST_MAIN(MailServerTest)
