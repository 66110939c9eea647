// The check before a compile: every problem of the settings in one box, in
// plain words, and the box of the first problem brought to the front.
#include "core/checkreport.h"
#include "core/textrules.h"
#include "mainwindow/dialogs.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/scriptsetuppage.h"

#include <QPlainTextEdit>
#include <QTabWidget>

namespace {

// The box lists this many problems at most, so that it fits the screen.
constexpr std::size_t kShownProblems = 12;

} // namespace

bool TForm1::SettingsCompile(const scriptgen::ScriptSettings& settings)
{
    const std::vector<scriptgen::Problem> problems = zestrel::ProblemsBeforeCompile(settings);
    if (problems.empty())
        return true;

    QString text = QStringLiteral("The safe script was not compiled. Please correct these settings:\n");
    for (std::size_t i = 0; i < problems.size() && i < kShownProblems; ++i)
        text += QStringLiteral("\n\u2022 ") + zestrel::Describe(problems[i]);
    if (problems.size() > kShownProblems)
        text += QStringLiteral("\n\u2022 \u2026and %1 more.").arg(problems.size() - kShownProblems);
    if (scriptCompiled_)
        text += QStringLiteral("\n\nSave Script still saves the script compiled before.");
    zestrel::MessageBoxes::warning(zestrel::ApplicationTitle(), text);

    QWidget* control = ControlFor(problems.front().setting);
    for (QWidget* page = control; page; page = page->parentWidget())
        if (PageControl1->indexOf(page) >= 0)
            ShowPage(page);
    control->setFocus(Qt::OtherFocusReason);
    return false;
}

QWidget* TForm1::ControlFor(scriptgen::Setting setting) const
{
    for (const zestrel::SettingsPage* page : pages_)
        if (QWidget* control = page->controlFor(setting))
            return control;
    return TabSheet1->fieldList();
}
