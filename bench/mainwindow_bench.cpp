// How the main window feels: one keystroke in a long field list (the whole
// rebuild of the three pickers), compiling a large script and showing it in
// the success box, opening and saving large settings files, and start-up to
// the window shown. Runs offscreen unless a platform is chosen.
#include "core/settingsfile.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>
#include <QWindow>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace {

void ShowAndWait(QWidget& window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

std::unique_ptr<TForm1> FormWithFieldList(int lines)
{
    auto form = std::make_unique<TForm1>();
    ShowAndWait(*form);
    QStringList names;
    names.reserve(lines);
    for (int i = 0; i < lines; ++i)
        names.append(QStringLiteral("field_%1").arg(i));
    auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    memo->setPlainText(names.join(QLatin1Char('\n')));
    memo->moveCursor(QTextCursor::End);
    return form;
}

void SendKey(QWidget* target, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

// A typed character or a Backspace, in turn, so that the text keeps its
// length.
void TypeOrErase(QWidget* memo, bool& typeNext)
{
    if (typeNext)
        SendKey(memo, Qt::Key_X, QStringLiteral("x"));
    else
        SendKey(memo, Qt::Key_Backspace, QString());
    typeNext = !typeNext;
}

// A key at the end of the list; each runs Memo1Change in full.
void BM_Memo1Keystroke(benchmark::State& state)
{
    const auto form = FormWithFieldList(static_cast<int>(state.range(0)));
    auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    bool typeNext = true;
    for (auto _ : state)
        TypeOrErase(memo, typeNext);
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_Memo1Keystroke)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The rebuild alone, without the edit's own work for the keystroke.
void BM_Memo1ChangeRebuild(benchmark::State& state)
{
    const auto form = FormWithFieldList(static_cast<int>(state.range(0)));
    for (auto _ : state)
        form->Memo1Change();
}
BENCHMARK(BM_Memo1ChangeRebuild)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A key at the end of a field list that is one unbroken line of `range(0)`
// characters, until it is shown.
void BM_LongLineKeystroke(benchmark::State& state)
{
    const auto form = FormWithFieldList(0);
    auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    memo->setPlainText(QString(static_cast<qsizetype>(state.range(0)), u'x'));
    memo->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    bool typeNext = true;
    for (auto _ : state) {
        TypeOrErase(memo, typeNext);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_LongLineKeystroke)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

// Pasting one unbroken line of `range(0)` characters into the empty field
// list, until it is shown.
void BM_LongLinePaste(benchmark::State& state)
{
    const auto form = FormWithFieldList(0);
    auto* memo = form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QGuiApplication::clipboard()->setText(QString(static_cast<qsizetype>(state.range(0)), u'x'));
    for (auto _ : state) {
        memo->paste();
        QCoreApplication::processEvents();
        state.PauseTiming();
        memo->clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LongLinePaste)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

// Closes the modal box that the command about to run opens, as soon as it is
// shown; `before` runs on it first.
void CloseNextModal(const std::function<void(QWidget*)>& before = {})
{
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, before] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (before)
            before(modal);
        modal->close();
    });
    timer->start();
}

constexpr int kScriptFields = 60000;

// Compile Script on a field list of 60,000 names (a script of 60,005 lines),
// up to the success box shown and closed.
void BM_CompileLargeScript(benchmark::State& state)
{
    const auto form = FormWithFieldList(kScriptFields);
    for (auto _ : state) {
        CloseNextModal();
        form->Action1Execute();
    }
    state.counters["lines"] = static_cast<double>(form->ScriptBuffer().size());
}
BENCHMARK(BM_CompileLargeScript)->Unit(benchmark::kMillisecond);

// "Show Details..." in the success box of that script: the click until the
// script is shown and painted.
void BM_ShowDetailsOfLargeScript(benchmark::State& state)
{
    const auto form = FormWithFieldList(kScriptFields);
    for (auto _ : state) {
        state.PauseTiming();
        CloseNextModal([&state](QWidget* box) {
            auto* button = box->findChild<QPushButton*>(QStringLiteral("DetailsButton"));
            state.ResumeTiming();
            button->click();
            box->repaint();
            state.PauseTiming();
        });
        form->Action1Execute();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ShowDetailsOfLargeScript)->Unit(benchmark::kMillisecond);

// Settings with 10,000 entries in every list, the round's name in each text,
// every other mail entry ticked and every grid cell filled.
QByteArray LargeSettingsFile(const std::string& round)
{
    constexpr int kEntries = 10000;
    scriptgen::ScriptSettings s;
    for (scriptgen::Lines* list : {&s.fieldList, &s.insertFields, &s.insertValues, &s.displayAllFields,
             &s.displaySpecificFields, &s.createTableFields})
        for (int i = 0; i < kEntries; ++i)
            list->push_back(round + "_field_" + std::to_string(i));
    for (int i = 0; i < kEntries; ++i)
        s.mailVariables.push_back({"$" + s.fieldList[static_cast<std::size_t>(i)], i % 2 == 0});
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = true;
    s.host = s.userName = s.database = s.recipient = s.subject = s.sender = round;
    s.insertTable = s.displayAllTable = s.displaySpecificTable = s.createTableName = s.dropTableName = round;
    return zestrel::SettingsFileBytes(s);
}

double PeakMemoryMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Open Settings... of such a file, up to every control showing it; two files
// in turn, so that every control changes each time.
void BM_OpenSettings(benchmark::State& state)
{
    const QTemporaryDir dir;
    const QString files[] = {dir.filePath("a.zestrel"), dir.filePath("b.zestrel")};
    for (const QString& file : files) {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(LargeSettingsFile(file.endsWith("a.zestrel") ? "a" : "b")) < 0)
            state.SkipWithError("cannot write the settings files");
    }
    TForm1 form;
    ShowAndWait(form);
    int next = 0;
    for (auto _ : state) {
        zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
        form.OpenSettingsFile(files[next]);
        next = 1 - next;
    }
    zestrel::MessageBoxes::takeShown();
    state.counters["bytes"] = static_cast<double>(QFileInfo(files[0]).size());
    state.counters["peak_MB"] = PeakMemoryMegabytes();
}
BENCHMARK(BM_OpenSettings)->Unit(benchmark::kMillisecond);

// Save Settings of the window holding such a file: the controls read, the
// file written, flushed to the disk and put in place.
void BM_SaveSettings(benchmark::State& state)
{
    const QTemporaryDir dir;
    const QString file = dir.filePath("large.zestrel");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(LargeSettingsFile("a")) < 0)
            state.SkipWithError("cannot write the settings file");
    }
    TForm1 form;
    ShowAndWait(form);
    zestrel::MessageBoxes::setNextAnswer(QMessageBox::Ok);
    form.OpenSettingsFile(file);
    zestrel::MessageBoxes::takeShown();
    for (auto _ : state)
        form.SaveSettings1Click();
    state.counters["bytes"] = static_cast<double>(QFileInfo(file).size());
    state.counters["peak_MB"] = PeakMemoryMegabytes();
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);

// Creating the window and showing it, after the first time in the process.
void BM_StartupToShown(benchmark::State& state)
{
    for (auto _ : state) {
        TForm1 form;
        ShowAndWait(form);
    }
}
BENCHMARK(BM_StartupToShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    const auto processStart = std::chrono::steady_clock::now();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    {
        // The first window of a run: application, fonts and style start cold.
        TForm1 form;
        ShowAndWait(form);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - processStart;
        std::printf("Start-up, main() to first window shown: %.1f ms\n", elapsed.count());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
