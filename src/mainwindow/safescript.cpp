// The safe script's check before a compile: every problem in one box, in
// plain words, and the box of the first problem brought to the front.
#include "mainwindow/dialogs.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/textrules.h"
#include "mainwindow/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <algorithm>

namespace {

// The box lists this many problems at most, so that it fits the screen.
constexpr std::size_t kShownProblems = 12;

// The example texts two boxes start with are no field or value of anyone's.
void AddExampleTextProblems(const scriptgen::ScriptSettings& s, std::vector<scriptgen::Problem>& problems)
{
    if (!s.displaySpecific)
        return;
    if (s.whereField == "Enter Field's Name")
        problems.push_back({scriptgen::Box::WhereField,
            "Where Field still shows \"Enter Field's Name\": type the name of the field to match."});
    if (s.whereValue == "Enter / Select Value")
        problems.push_back({scriptgen::Box::WhereValue,
            "The value after \"=\" still shows \"Enter / Select Value\": pick a field of the form, or type the "
            "value to match."});
}

} // namespace

bool TForm1::SafeSettingsHold(const scriptgen::ScriptSettings& settings)
{
    std::vector<scriptgen::Problem> problems = scriptgen::CheckSafeScript(settings);
    AddExampleTextProblems(settings, problems);
    if (problems.empty())
        return true;
    std::stable_sort(problems.begin(), problems.end(),
        [](const scriptgen::Problem& a, const scriptgen::Problem& b) { return a.box < b.box; });

    QString text = QStringLiteral("The safe script was not compiled. Please correct these settings:\n");
    for (std::size_t i = 0; i < problems.size() && i < kShownProblems; ++i)
        text += QStringLiteral("\n\u2022 ") + QString::fromStdString(problems[i].text);
    if (problems.size() > kShownProblems)
        text += QStringLiteral("\n\u2022 \u2026and %1 more.").arg(problems.size() - kShownProblems);
    if (scriptCompiled_)
        text += QStringLiteral("\n\nSave Script still saves the script compiled before.");
    zestrel::MessageBoxes::warning(zestrel::ApplicationTitle(), text);

    QWidget* control = ControlFor(problems.front().box);
    for (QWidget* page = control; page; page = page->parentWidget())
        if (PageControl1->indexOf(page) >= 0)
            ShowPage(page);
    control->setFocus(Qt::OtherFocusReason);
    return false;
}

QWidget* TForm1::ControlFor(scriptgen::Box box) const
{
    using scriptgen::Box;
    switch (box) {
    case Box::Switches:
        return CheckBox1;
    case Box::FieldList:
        return Memo1;
    case Box::Host:
        return Edit1;
    case Box::UserName:
        return Edit2;
    case Box::Database:
        return Edit4;
    case Box::Recipient:
        return Edit6;
    case Box::Subject:
        return Edit7;
    case Box::Sender:
        return Edit8;
    case Box::MailVariables:
        return CheckListBox1;
    case Box::SuccessPage:
        return LabeledEdit1;
    case Box::FailurePage:
        return LabeledEdit2;
    case Box::InsertTable:
        return Edit9;
    case Box::InsertFields:
        return Memo2;
    case Box::InsertValues:
        return StringGrid1;
    case Box::DisplayAllTable:
        return Edit10;
    case Box::DisplayAllFields:
        return Memo3;
    case Box::DisplaySpecificTable:
        return Edit11;
    case Box::WhereField:
        return Edit12;
    case Box::WhereValue:
        return ComboBox2;
    case Box::DisplaySpecificFields:
        return Memo4;
    case Box::CreateTableName:
        return Edit13;
    case Box::CreateTableFields:
        return Memo6;
    case Box::DropTableName:
        return Edit14;
    }
    return Memo1;
}
