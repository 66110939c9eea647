// Reading the field list from the user's own HTML form: file drops, the
// choice among several forms, the field list replaced as one undo step, the
// report, and the script name Save Script proposes next.
#include "mainwindow/readform.h"
#include "core/textrules.h"
#include "formreader/formreader.h"
#include "mainwindow/dialogs.h"
#include "scriptgen/safe/rules.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QUrl>

#include <functional>
#include <stdexcept>
#include <utility>

namespace zestrel {

namespace {

// The one local file a drag carries, or an empty string.
QString DraggedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

// Takes drags of one local file from the widgets it watches and hands the
// file on once dropped; every other drag goes on to the widget.
class FileDropFilter : public QObject {
public:
    FileDropFilter(QObject* parent, std::function<void(const QString&)> read) : QObject(parent), read_(std::move(read))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return QObject::eventFilter(watched, event);
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = DraggedFile(drop->mimeData());
        if (path.isEmpty() || !(drop->possibleActions() & Qt::CopyAction))
            return false;
        // Always a copy: a drop taken as a move would let the file manager
        // delete the user's page.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Read once the drop is over, so the program the file came from is
        // not kept waiting while the report is open.
        if (type == QEvent::Drop)
            QMetaObject::invokeMethod(
                this, [this, path] { read_(path); }, Qt::QueuedConnection);
        return true;
    }

private:
    std::function<void(const QString&)> read_;
};

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Quoted(const std::string& text)
{
    return QLatin1Char('"') + FromUtf8(text) + QLatin1Char('"');
}

QString Fields(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 field") : QStringLiteral("%1 fields").arg(count);
}

// "the form "contact"", or "form 2" when the page holds several forms that
// have neither id nor name.
QString FormTitle(const formreader::Form& form, std::size_t index, std::size_t count)
{
    const std::string& known = form.id.empty() ? form.name : form.id;
    if (!known.empty())
        return QStringLiteral("the form ") + Quoted(known);
    return count > 1 ? QStringLiteral("form %1").arg(index + 1) : QStringLiteral("the form");
}

QStringList ChoiceEntries(const std::vector<formreader::Form>& forms)
{
    QStringList entries;
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const formreader::Form& form = forms[i];
        const std::string& known = form.id.empty() ? form.name : form.id;
        entries.append(
            QStringLiteral("%1. %2, %3, %4")
                .arg(i + 1)
                .arg(known.empty() ? QStringLiteral("no id or name") : Quoted(known),
                    form.action.empty() ? QStringLiteral("no action") : QStringLiteral("action ") + Quoted(form.action),
                    Fields(form.fields.size())));
    }
    return entries;
}

// A pattern the safe script's check would refuse, said where it is read:
// the character at fault, counted as the user counts, and what to write.
QString PatternFault(const scriptgen::FieldRule& rule)
{
    const scriptgen::safe::PatternFault fault = scriptgen::safe::FindPatternFault(rule.pattern);
    if (fault.problem.empty())
        return {};
    const QString pattern = FromUtf8(rule.pattern);
    const QString field = FromUtf8(rule.field);
    if (fault.at == std::string::npos)
        return QStringLiteral("Field \"%1\": PHP cannot read the pattern \"%2\" (%3), so the safe script would not "
                              "compile: correct it in Field Rules....")
            .arg(field, pattern, FromUtf8(fault.problem));
    const qsizetype at = FromUtf8(rule.pattern.substr(0, fault.at)).size();
    const QString wrong = pattern.mid(at, 1);
    if (fault.problem == "reserved")
        return QStringLiteral("Field \"%1\": the pattern \"%2\" has \"%3\" unescaped inside [ ] at character %4, so "
                              "browsers ignore the pattern: write \\%3 there instead.")
            .arg(field, pattern, wrong)
            .arg(at + 1);
    return QStringLiteral("Field \"%1\": the pattern \"%2\" uses set notation at character %3 (\"%4\"), which "
                          "PHP cannot check: write the class without &&, --, \\q{} or a [ ] inside it, such as [a-z].")
        .arg(field, pattern)
        .arg(at + 1)
        .arg(wrong);
}

QString Report(const QString& page, const formreader::Form& form, const QString& title)
{
    QString report = form.fields.empty()
        ? QStringLiteral("%1 in %2 has no fields to read; the field list is unchanged.").arg(title, page)
        : QStringLiteral("Read %1 from %2 in %3 into the field list.").arg(Fields(form.fields.size()), title, page);
    report[0] = report[0].toUpper();
    if (!form.spamTrap.empty())
        report += QStringLiteral(" The hidden spam trap \"%1\" is left out: the safe script checks it by itself.")
                      .arg(FromUtf8(form.spamTrap));
    QStringList checks;
    for (const formreader::Warning& warning : form.warnings)
        checks.append(FromUtf8(formreader::Describe(warning)));
    for (const scriptgen::FieldRule& rule : form.rules)
        if (const QString fault = PatternFault(rule); !fault.isEmpty())
            checks.append(fault);
    if (!checks.isEmpty())
        report += QStringLiteral("\n\nPlease check:\n\u2022 ") + checks.join(QStringLiteral("\n\u2022 "));
    return report;
}

// The script beside the form, when the form's action names a .php file by a
// path relative to the page.
QString ScriptForAction(const QString& page, const std::string& action)
{
    const QUrl url(FromUtf8(action).trimmed());
    if (!url.isValid() || !url.isRelative() || !url.host().isEmpty() || url.path().startsWith(QLatin1Char('/')) ||
        !url.path().endsWith(QStringLiteral(".php"), Qt::CaseInsensitive))
        return {};
    return QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()).resolved(url).toLocalFile();
}

} // namespace

QString TicksKept(const QStringList& ticked, const QStringList& dropped)
{
    if (ticked.isEmpty())
        return {};
    const qsizetype kept = ticked.size() - dropped.size();
    QString text = kept == 1 ? QStringLiteral("\n\nThe mail list keeps 1 tick")
                             : QStringLiteral("\n\nThe mail list keeps %1 ticks").arg(kept);
    if (dropped.isEmpty())
        return text + QLatin1Char('.');
    return text +
        QStringLiteral("; the form no longer has %1, so %2 dropped.")
            .arg(dropped.join(QStringLiteral(", ")),
                dropped.size() == 1 ? QStringLiteral("its tick was") : QStringLiteral("their ticks were"));
}

void ReplaceLines(QPlainTextEdit* memo, const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines)
        text.append(FromUtf8(line));
    QTextCursor cursor(memo->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text.join(QLatin1Char('\n')));
    cursor.endEditBlock();
}

void AcceptFileDrops(QWidget* window, QWidget* fieldList, const std::function<void(const QString&)>& open)
{
    window->setAcceptDrops(true);
    auto* drops = new FileDropFilter(window, open);
    window->installEventFilter(drops);
    fieldList->installEventFilter(drops);
}

std::optional<FormRead> ReadFormPage(const QString& path, QWidget* parent)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Cannot read \"%1\": %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
    const formreader::Page page = formreader::ReadForms({bytes.constData(), static_cast<std::size_t>(bytes.size())});

    const QString shown = QFileInfo(path).fileName();
    const QString title = ApplicationTitle();
    if (!page.isHtml) {
        MessageBoxes::information(title,
            QStringLiteral("%1 is not an HTML page; the field list is unchanged. Choose the page that holds your form.")
                .arg(shown));
        return std::nullopt;
    }
    if (page.forms.empty()) {
        MessageBoxes::information(title,
            QStringLiteral("%1 holds no form; the field list is unchanged. Choose the page that holds your form.")
                .arg(shown));
        return std::nullopt;
    }
    int chosen = 0;
    if (page.forms.size() > 1) {
        chosen = FormChoice::choose(parent, ChoiceEntries(page.forms));
        if (chosen < 0 || chosen >= static_cast<int>(page.forms.size()))
            return std::nullopt;
    }
    const formreader::Form& form = page.forms[static_cast<std::size_t>(chosen)];
    return FormRead{form, Report(shown, form, FormTitle(form, static_cast<std::size_t>(chosen), page.forms.size())),
        ScriptForAction(path, form.action)};
}

} // namespace zestrel
