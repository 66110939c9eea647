// Reading the field list from a form page, driven through the window: the
// button (its open dialog answered in advance) and file drops fill the field
// list and so the pickers, as one undo step; several forms give a choice; a
// page without a form changes nothing; Save Script proposes the form's script.
#include "readform_test.h"

#include "windowfixture.h"

#include "core/fieldrulesmodel.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

namespace {

const QStringList kContactFields = {"name", "email", "phone", "subject", "message", "newsletter", "source"};

QString FormPage(const char* file)
{
    return QDir(QStringLiteral(ZESTREL_FORMS_DIR)).filePath(QString::fromLatin1(file));
}

QString FieldList(QObject* form)
{
    return Child<QPlainTextEdit>(form, "Memo1")->toPlainText();
}

QStringList WithDollar(const QStringList& names)
{
    QStringList entries;
    for (const QString& name : names)
        entries.append(QLatin1Char('$') + name);
    return entries;
}

// The entries of the three pickers, which must all follow the field list.
void ComparePickers(QObject* form, const QStringList& names)
{
    const QStringList entries = WithDollar(names);
    QCOMPARE(ListEntries(Child<QListView>(form, "CheckListBox1")), entries);
    QCOMPARE(ComboEntries(Child<QComboBox>(form, "ComboBox1")), entries);
    QCOMPARE(ComboEntries(Child<QComboBox>(form, "ComboBox2")), entries);
}

void ReadThroughButton(QObject* form, const QString& path)
{
    zestrel::OpenDialog::setNextFileName(path);
    QTest::mouseClick(Child<QPushButton>(form, "Button1"), Qt::LeftButton);
}

QString OnlyShownText()
{
    const QList<zestrel::MessageBoxes::Shown> shown = zestrel::MessageBoxes::takeShown();
    return shown.size() == 1 ? shown.front().text : QStringLiteral("<%1 boxes>").arg(shown.size());
}

} // namespace

void ReadFormTest::buttonAndDropsFillTheFieldList_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("button") << "Button1";
    QTest::newRow("drop on the field list") << "Memo1";
    QTest::newRow("drop on a label") << "Label1";
    QTest::newRow("drop on the window") << "Form1";
}

void ReadFormTest::buttonAndDropsFillTheFieldList()
{
    QFETCH(QString, way);
    const auto form = StartForm();
    const QString page = FormPage("contact.html");
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    if (way == "Button1") {
        ReadThroughButton(form.get(), page);
    } else {
        QWidget* target = way == "Form1" ? form.get() : Child<QWidget>(form.get(), way.toLatin1().constData());
        if (way == "Memo1")
            target = Child<QPlainTextEdit>(form.get(), "Memo1")->viewport();
        QVERIFY(DropFile(target, page));
    }
    QTRY_COMPARE(FieldList(form.get()), kContactFields.join('\n'));
    ComparePickers(form.get(), kContactFields);
    QCOMPARE(OnlyShownText(),
        QString("Read 7 fields from the form \"contact\" in contact.html into the field list. The hidden spam trap "
                "\"zestrel_website\" is left out: the safe script checks it by itself."));
}

void ReadFormTest::undoBringsBackTheOldList()
{
    const auto form = StartForm();
    auto* memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    TypeLines(memo, {"old_name", "old_mail"});
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), FormPage("search.html"));
    QCOMPARE(FieldList(form.get()), QString("query\ncategory\nin-stock\npage"));
    const QString report = OnlyShownText();
    QVERIFY2(report.contains("method=\"post\"") && report.contains("\"in-stock\""), qPrintable(report));

    QTest::keySequence(memo, QKeySequence::Undo);
    QCOMPARE(FieldList(form.get()), QString("old_name\nold_mail"));
    ComparePickers(form.get(), {"old_name", "old_mail"});
    QTest::keySequence(memo, QKeySequence::Redo);
    ComparePickers(form.get(), {"query", "category", "in-stock", "page"});
}

void ReadFormTest::readingAgainKeepsTicksAndValues()
{
    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), FormPage("contact.html"));
    TickSwitch(form.get(), "EmailVariables1", "CheckBox2");
    auto* ticks = Child<QListView>(form.get(), "CheckListBox1");
    for (int row : {1, 2, 4}) // $email, $phone, $message
        ticks->model()->setData(ticks->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    TickSwitch(form.get(), "DatabaseRecords1", "CheckBox3");
    TypeLines(Child<QWidget>(form.get(), "Memo2"), {"mail", "text"});
    ClickItem(Child<QTableView>(form.get(), "StringGrid1"), 2, 1);
    QVERIFY(ChooseEntry(Child<QComboBox>(form.get(), "ComboBox1"), "$message"));
    zestrel::MessageBoxes::takeShown();

    // The same form without its phone field.
    QTemporaryDir dir;
    QFile page(FormPage("contact.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString changed = dir.filePath("contact.html");
    WriteFile(changed, page.readAll().replace("name=\"phone\"", "name=\"\""));
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), changed);
    QCOMPARE(FieldList(form.get()), QString("name\nemail\nsubject\nmessage\nnewsletter\nsource"));
    const scriptgen::ScriptSettings s = form->CurrentSettings();
    QStringList ticked;
    for (const scriptgen::MailItem& item : s.mailVariables)
        if (item.checked)
            ticked.append(QString::fromStdString(item.text));
    QCOMPARE(ticked, QStringList({"$email", "$message"}));
    QCOMPARE(s.insertValues, scriptgen::Lines({"", "$message"}));
    const QString report = OnlyShownText();
    QVERIFY2(report.contains(" 2 ticks") && report.contains("$phone"), qPrintable(report));
}

void ReadFormTest::severalFormsGiveTheChoice_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("fields");
    QTest::newRow("second form") << 1 << "full_name\nemail\nbirth_date\nmembership\nterms";
    QTest::newRow("cancelled") << -1 << "kept";
}

void ReadFormTest::severalFormsGiveTheChoice()
{
    QFETCH(int, choice);
    QFETCH(QString, fields);
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"kept"});
    zestrel::FormChoice::setNextChoice(choice);
    if (choice >= 0)
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), FormPage("twoforms.html"));
    const QList<QStringList> offered{
        {"1. \"login\", action \"login.php\", 3 fields", "2. \"join\", action \"join.php\", 5 fields"}};
    QCOMPARE(zestrel::FormChoice::takeOffered(), offered);
    QCOMPARE(FieldList(form.get()), fields);
    ComparePickers(form.get(), fields.split('\n'));
}

void ReadFormTest::realChoiceList()
{
    const auto form = StartForm();
    QStringList offered;
    OnNextModal([&offered](QWidget* modal) {
        auto* list = modal->findChild<QListView*>();
        if (!list) {
            modal->close();
            return;
        }
        offered = ListEntries(list);
        ClickItem(list, 1);
        qobject_cast<QInputDialog*>(modal)->accept();
    });
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), FormPage("twoforms.html"));
    QCOMPARE(offered.size(), 2);
    QCOMPARE(FieldList(form.get()), QString("full_name\nemail\nbirth_date\nmembership\nterms"));
}

void ReadFormTest::pageWithoutFormChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("report");
    QTest::newRow("no form")
        << QByteArray("<html><body><h1>Opening hours</h1><p>9 to 5</p></body></html>")
        << "page.html holds no form; the field list is unchanged. Choose the page that holds your form.";
    QTest::newRow("picture")
        << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
        << "page.html is not an HTML page; the field list is unchanged. Choose the page that holds your form.";
    QTest::newRow("form without named fields")
        << QByteArray("<form method=post><input type=submit name=go><input></form>")
        << "The form in page.html has no fields to read; the field list is unchanged.\n\nPlease check:\n"
           "\u2022 Skipped 1 field without a name, which browsers never send: input type=\"text\". Give each one a "
           "name=\"...\" in the form if the script must read it.";
}

void ReadFormTest::pageWithoutFormChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, report);
    const QTemporaryDir dir;
    const QString page = dir.filePath("page.html");
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    const auto form = StartForm();
    auto* memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    TypeLines(memo, {"kept"});
    const int undoSteps = memo->document()->availableUndoSteps();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    QVERIFY(DropFile(memo->viewport(), page));
    QTRY_COMPARE(zestrel::MessageBoxes::pendingAnswers(), 0);
    QCOMPARE(OnlyShownText(), report);
    QCOMPARE(FieldList(form.get()), QString("kept"));
    QCOMPARE(memo->document()->availableUndoSteps(), undoSteps);
}

void ReadFormTest::unreadablePageIsReported()
{
    const QTemporaryDir dir;
    const QString page = dir.filePath("gone.html");
    const auto form = StartForm();
    TypeLines(Child<QWidget>(form.get(), "Memo1"), {"kept"});
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), page);
    const QList<zestrel::MessageBoxes::Shown> shown = zestrel::MessageBoxes::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, zestrel::MessageBoxes::Kind::Error);
    QCOMPARE(
        shown[0].text, QString("Cannot read \"%1\": No such file or directory").arg(QDir::toNativeSeparators(page)));
    QCOMPARE(FieldList(form.get()), QString("kept"));
}

void ReadFormTest::saveProposesTheActionScript_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("proposed"); // relative to the page's folder; empty: nothing proposed
    QTest::newRow("beside the page") << "contact.php"
                                     << "contact.php";
    QTest::newRow("capital suffix, blanks around") << " SEND.PHP "
                                                   << "SEND.PHP";
    QTest::newRow("up and down a folder") << "../cgi/send.php"
                                          << "../cgi/send.php";
    QTest::newRow("absolute path") << "/x.php"
                                   << "";
    QTest::newRow("another host") << "http://h/x.php"
                                  << "";
    QTest::newRow("another host, no scheme") << "//h/x.php"
                                             << "";
    QTest::newRow("not a PHP file") << "send.html"
                                    << "";
    QTest::newRow("no action") << ""
                               << "";
}

void ReadFormTest::saveProposesTheActionScript()
{
    QFETCH(QString, action);
    QFETCH(QString, proposed);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("site"));
    const QString page = dir.filePath("site/form.html");
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString("<form method=\"post\" action=\"%1\"><input name=\"a\"></form>").arg(action).toUtf8());
    file.close();

    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), page);
    Compile(form.get());
    zestrel::SaveDialog::setNextFileName(QString());
    QTest::mouseClick(Child<QToolButton>(form.get(), "ToolButton3"), Qt::LeftButton);
    const QString expected = proposed.isEmpty() ? QString() : QDir::cleanPath(dir.filePath("site/" + proposed));
    QCOMPARE(zestrel::SaveDialog::takeOpenedWith(), QStringList{expected});
    // A new settings file is named after the form, at home without a
    // documents folder.
    const HomeAt home(dir.path());
    zestrel::SettingsDialog::setNextFileName(QString());
    Trigger(form.get(), "SaveSettingsAs1");
    QCOMPARE(zestrel::SettingsDialog::takeOpenedAt(), QStringList{dir.filePath("form.zestrel")});
}

// Read Form fills the rules table; the table edits them, follows the field
// list, and its rules reach the compile.
void ReadFormTest::rulesTableFollowsTheFormAndTheList()
{
    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), FormPage("contact.html"));
    QStringList rows;
    QStringList cutShort;
    bool tallRows = true;
    bool noted = false;
    OnNextModal([&](QWidget* dialog) {
        auto* table = Child<QTableView>(dialog, "FieldRulesTable");
        const QAbstractItemModel* model = table->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column) {
                const QModelIndex cell = model->index(row, column);
                const QVariant ticked = cell.data(Qt::CheckStateRole);
                cells.append(ticked.isValid() ? (ticked.value<Qt::CheckState>() == Qt::Checked ? "yes" : "no")
                                              : cell.data().toString());
            }
            rows.append(cells.join(QLatin1Char('|')));
        }
        // Rows as tall as a line of text, and every title and cell shown whole.
        tallRows = table->rowHeight(0) > table->fontMetrics().height() + 8;
        for (int column = 0; column + 1 < model->columnCount(); ++column) {
            if (table->columnWidth(column) < table->horizontalHeader()->sectionSizeHint(column))
                cutShort.append(model->headerData(column, Qt::Horizontal).toString());
            for (int row = 0; row < model->rowCount(); ++row) {
                const QString text = model->index(row, column).data().toString();
                if (table->columnWidth(column) <= table->fontMetrics().horizontalAdvance(text))
                    cutShort.append(text);
            }
        }
        // The user types a length into the phone's row.
        const QModelIndex phoneMax = model->index(2, zestrel::FieldRulesModel::MaxLength);
        table->scrollTo(phoneMax);
        table->setCurrentIndex(phoneMax);
        table->edit(phoneMax);
        // The editor itself, not whatever holds the focus: a window that is
        // not yet active has no focus widget. Return commits the cell by a
        // queued call, which the loop must deliver before the dialog closes.
        if (auto* editor = table->viewport()->findChild<QLineEdit*>()) {
            QTest::keyClicks(editor, QStringLiteral("20"));
            QTest::keyClick(editor, Qt::Key_Return);
        }
        for (int wait = 0; wait < 100 && phoneMax.data().toString().isEmpty(); ++wait)
            QTest::qWait(10);
        noted = dialog->findChild<QLabel*>()->text().contains(QStringLiteral("Classic scripts ignore these rules"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Click(form.get(), "Button2");
    QVERIFY(noted);
    QVERIFY(!tallRows);
    QCOMPARE(cutShort, QStringList());
    const QStringList expected = {
        "name|Your name|yes|text|||||||||no|||",
        "email|E-mail|yes|email|||||||||no|||",
        "phone|Phone (optional)|no|tel|||||||||no|||",
        "subject|About|no|select||||||||order | cake | other|no|||",
        "message|Message|no|textarea|||||||||no|||",
        "newsletter|Send me the monthly newsletter|no|checkbox||||||||yes|no|||",
        "source||no|hidden|||||||||no|||",
    };
    QCOMPARE(rows, expected);

    auto* memo = Child<QPlainTextEdit>(form.get(), "Memo1");
    memo->setPlainText(QStringLiteral("name\nemail\nphone\nmessage\nextra"));
    const std::vector<scriptgen::FieldRule> rules = form->CurrentSettings().fieldRules;
    QStringList kept;
    for (const scriptgen::FieldRule& rule : rules)
        kept.append(QString::fromStdString(rule.field + ":" + rule.label + ":" + rule.maxLength));
    QCOMPARE(kept,
        (QStringList{"name:Your name:", "email:E-mail:", "phone:Phone (optional):20", "message:Message:", "extra::"}));
}

void ReadFormTest::aRuleAtFaultOpensAtItsCell_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("said"); // by the reading's report already
    QTest::addColumn<QString>("mostFiles"); // typed into the rules after the reading
    using zestrel::FieldRulesModel;
    QTest::newRow("set notation") << R"(pattern="\w[a&&b]")" << int(FieldRulesModel::Pattern) << "character 5 (\"&\")"
                                  << QString();
    QTest::newRow("a reserved character")
        << R"(pattern="é[a(]")" << int(FieldRulesModel::Pattern) << "character 4, so" << QString();
    QTest::newRow("unreadable") << R"(pattern="a{2,1}")" << int(FieldRulesModel::Pattern) << "\"a{2,1}\" ("
                                << QString();
    QTest::newRow("lengths") << R"(minlength="5" maxlength="2")" << int(FieldRulesModel::MinLength) << QString()
                             << QString();
    QTest::newRow("a range") << R"(type="number" min="5" max="1")" << int(FieldRulesModel::Min) << QString()
                             << QString();
    QTest::newRow("a file limit") << R"(type="file")" << int(FieldRulesModel::MaxFiles)
                                  << R"(enctype="multipart/form-data")"
                                  << "0";
}

// When a rule stops the compile, OK opens the rules at the cell to mend.
void ReadFormTest::aRuleAtFaultOpensAtItsCell()
{
    QFETCH(QString, attributes);
    QFETCH(int, column);
    QFETCH(QString, said);
    QFETCH(QString, mostFiles);
    QTemporaryDir dir;
    const QString page = dir.filePath("form.html");
    WriteFile(
        page, QString(R"(<form method="post"><input name="b"><input name="a" %1></form>)").arg(attributes).toUtf8());
    const auto form = StartForm();
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    ReadThroughButton(form.get(), page);
    const QString report = OnlyShownText();
    QVERIFY2(said.isEmpty() ? !report.contains("Please check") : report.contains(said), qPrintable(report));
    if (!mostFiles.isEmpty()) {
        auto* rules = Child<QAbstractItemModel>(form.get(), "FieldRules");
        rules->setData(rules->index(1, zestrel::FieldRulesModel::MaxFiles), mostFiles, Qt::EditRole);
    }
    Click(form.get(), "CheckBox8");
    TickSwitch(form.get(), "EmailVariables1", "CheckBox2");
    zestrel::MessageBoxes::takeShown();
    QModelIndex at;
    OnNextModal([&](QWidget* dialog) {
        at = Child<QTableView>(dialog, "FieldRulesTable")->currentIndex();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Compile(form.get());
    QCOMPARE(at.row(), 1);
    QCOMPARE(at.column(), column);
}

QTEST_MAIN(ReadFormTest)
