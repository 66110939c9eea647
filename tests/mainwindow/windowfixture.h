#pragma once

// What every test of the main window shares: a fixture that checks no box
// answered in advance was left unused and keeps the program's stored list of
// recent files away from the user's own, and helpers that read what a
// person sees.
#include "formdriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QObject>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(settingsStore_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsStore_.path());
    }
    // Each test starts with no recent files.
    void init() { QSettings(QSettings::NativeFormat, QSettings::UserScope, "VORTEQ", "Zestrel").clear(); }
    void cleanup()
    {
        QVERIFY2(NoAnswersLeft(), "a box or dialog the test answered in advance never opened");
        zestrel::MessageBoxes::takeShown();
        zestrel::SaveDialog::takeOpenedWith();
        zestrel::FormChoice::takeOffered();
        zestrel::SettingsDialog::takeOpenedAt();
    }

private:
    QTemporaryDir settingsStore_;
};

// Every control a switch enables, as the pages' rows name them.
QStringList GovernedControls();

// The 23 task controls of the seven section switches, all disabled right
// after start.
inline const char* const kTaskControls[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit6", "Edit7", "Edit8",
    "CheckListBox1", "LabeledEdit1", "LabeledEdit2", "Edit9", "Memo2", "StringGrid1", "ComboBox1", "Edit10", "Memo3",
    "Edit11", "Memo4", "Edit12", "Edit13", "Edit14", "Memo6", "ComboBox2"};

inline QString Cell(QObject* form, int row, int column)
{
    const auto* grid = Child<QTableView>(form, "StringGrid1");
    return grid->model()->index(row, column).data().toString();
}

inline int GridRows(QObject* form)
{
    return Child<QTableView>(form, "StringGrid1")->model()->rowCount();
}

inline QString Text(QObject* form, const char* name)
{
    QObject* object = form->findChild<QObject*>(QString::fromLatin1(name));
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(object))
        return memo->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return combo->currentText();
    qFatal("no text control named %s", name);
}

inline bool Enabled(QObject* form, const char* name)
{
    return Child<QWidget>(form, name)->isEnabled();
}

inline void Click(QObject* form, const char* name)
{
    QTest::mouseClick(Child<QWidget>(form, name), Qt::LeftButton);
}

// Brings a page to the front through its Edit menu item and ticks its
// switch, as a person starts a task.
inline void TickSwitch(QObject* form, const char* pageItem, const char* checkBox)
{
    Trigger(form, pageItem);
    Click(form, checkBox);
}

// Selects a box's text and types over it.
inline void TypeOver(QObject* form, const char* name, const QString& text)
{
    auto* box = Child<QWidget>(form, name);
    QTest::keySequence(box, QKeySequence::SelectAll);
    QTest::keyClicks(box, text);
}

// The caption as the title bar shows it: "*" where "[*]" stands while the
// window is modified.
inline QString Caption(const QWidget* window)
{
    return window->windowTitle().replace("[*]", window->isWindowModified() ? "*" : "");
}

inline QString CurrentPage(QObject* form)
{
    return Child<QTabWidget>(form, "PageControl1")->currentWidget()->objectName();
}

// Every box, list and cell of the window with a text of its own, and the
// lines of the classic script that must hold it. A list's lines are separated
// by "\n"; for the check list they are the entries to tick, for the grid the
// value of each row, an entry of the picker's list where it begins with "$".
struct Placed {
    const char* control;
    const char* text;
    QStringList lines;
};

inline const QString kConnect = "mysql_connect(\"h1\", \"u2\", \"p3\") or die(mysql_error());";
inline const QString kMail = "if(mail('r6','s7',\"\\$fb: $fb\\n\",\"From:f8\\r\\nReply-to:f8\"))";
inline const QString kInsert =
    "mysql_query(\"INSERT INTO t9 (c1, c2) VALUES ('$fa', 'v2')\")or die(\"Insert Error: \".mysql_error());";
inline const QString kSelectError = "\" ) or die(\"SELECT Error: \".mysql_error());";
inline const QString kSelectWhere = "$result = mysql_query( \"SELECT * FROM t11 WHERE w12=$fb" + kSelectError;

inline const Placed kPlaces[] = {
    {"Memo1", "fa\nfb", {"$fa = $_POST['fa'];", "$fb = $_POST['fb'];"}},
    {"Edit1", "h1", {kConnect}},
    {"Edit2", "u2", {kConnect}},
    {"Edit3", "p3", {kConnect}},
    {"Edit4", "d4", {"mysql_select_db(\"d4\") or die(mysql_error());"}},
    {"Edit6", "r6", {kMail}},
    {"Edit7", "s7", {kMail}},
    {"Edit8", "f8", {kMail}},
    {"CheckListBox1", "$fb", {kMail}},
    {"LabeledEdit1", "ok.html", {"echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=ok.html'></HEAD></HTML>\";"}},
    {"LabeledEdit2", "no.html", {"echo \"<HTML><META HTTP-EQUIV=Refresh CONTENT='0; URL=no.html'></HEAD></HTML>\";"}},
    {"Edit9", "t9", {kInsert}},
    {"Memo2", "c1\nc2", {kInsert}},
    {"StringGrid1", "$fa\nv2", {kInsert}},
    {"Edit10", "t10", {"$result = mysql_query( \"SELECT * FROM t10" + kSelectError}},
    {"Memo3", "a3", {"$a3 = $row['a3'];", "<td>$a3</td>"}},
    {"Edit11", "t11", {kSelectWhere}},
    {"Edit12", "w12", {kSelectWhere}},
    {"ComboBox2", "$fb", {kSelectWhere}},
    {"Memo4", "a4", {"$a4 = $row['a4'];", "<td>$a4</td>"}},
    {"Edit13", "t13", {"$create_query = \"CREATE TABLE t13 ("}},
    {"Memo6", "n6", {"n6 VARCHAR(225),"}},
    {"Edit14", "t14", {"$drop_query = \"DROP TABLE t14\";"}},
};

// Whether the screen shows what the widget would paint now, that is, it was
// repainted after every change.
bool ScreenIsUpToDate(QWidget* widget);

// Ticks every switch and puts each text of kPlaces into its control, as a
// person types, picks and ticks.
void FillEveryControl(QObject* form);

// What a control shows, in one text: its text, the entries of its list,
// ticks, the rows of the grid, "(disabled)" when greyed.
QString Contents(QObject* form, const char* name);

// The rows of a table held in an array, each named by its `name`, for a
// data function: the test then takes its row by the index "row".
template <typename Row, std::size_t N> void AddRows(const Row (&rows)[N])
{
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < N; ++i)
        QTest::newRow(rows[i].name) << static_cast<int>(i);
}

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray ReadAll(const QString& path);
// Makes a file a test needs, or stops the test.
void WriteFile(const QString& path, const QByteArray& bytes);

// Drags one file onto `target` and drops it there, as a file manager does:
// its address as a URL and as text, which a text box would take as text.
// Whether the drop was taken, as a copy.
bool DropFile(QWidget* target, const QString& path);

// Limits the size of files this process may write, so that even root meets
// a write failure part-way through.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

// Points the home folder elsewhere while it lives, for the dialogs that start
// in the documents folder or, without one, at home.
class HomeAt {
public:
    explicit HomeAt(const QString& path) : saved_(qgetenv("HOME")) { qputenv("HOME", QFile::encodeName(path)); }
    ~HomeAt() { qputenv("HOME", saved_); }
    HomeAt(const HomeAt&) = delete;
    HomeAt& operator=(const HomeAt&) = delete;

private:
    QByteArray saved_;
};
