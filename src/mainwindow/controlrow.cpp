#include "mainwindow/controlrow.h"

#include "mainwindow/alterdatabasetablespage.h"
#include "mainwindow/databaserecordspage.h"
#include "mainwindow/emailvariablespage.h"
#include "mainwindow/scriptsetuppage.h"
#include "mainwindow/viewdatabaserecordspage.h"

#include <array>

namespace zestrel {

namespace {

struct Found {
    const PageLayout* page = nullptr;
    const ControlRow* row = nullptr;
};

Found Find(scriptgen::Setting setting)
{
    for (const PageLayout& page : WindowLayout())
        for (const ControlRow& row : page.rows)
            if (row.setting == setting || row.alsoShows == setting)
                return {&page, &row};
    return {};
}

const ControlRow* Group(const PageLayout& page, const char* name)
{
    for (const ControlRow& row : page.rows)
        if (name && qstrcmp(row.name, name) == 0)
            return &row;
    return nullptr;
}

// The caption without the blanks around it and the colon or dots after it.
QString Plain(const char* caption)
{
    QString text = QString::fromUtf8(caption).trimmed();
    while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.trimmed();
}

QString OwnName(const PageLayout& page, const ControlRow& row)
{
    if (row.named)
        return QString::fromUtf8(row.named);
    if (*row.caption)
        return Plain(row.caption);
    const ControlRow* group = Group(page, row.parent);
    return group ? Plain(group->caption) : QString();
}

} // namespace

std::span<const PageLayout> WindowLayout()
{
    static const std::array<PageLayout, 5> pages = {ScriptSetupPage::Layout(), EmailVariablesPage::Layout(),
        DatabaseRecordsPage::Layout(), ViewDatabaseRecordsPage::Layout(), AlterDatabaseTablesPage::Layout()};
    return pages;
}

QString SettingName(scriptgen::Setting setting)
{
    const Found found = Find(setting);
    if (!found.row)
        return QString::fromLatin1(
            scriptgen::InfoOf(setting).key.data(), static_cast<qsizetype>(scriptgen::InfoOf(setting).key.size()));
    QString name = OwnName(*found.page, *found.row);
    for (const PageLayout& page : WindowLayout())
        for (const ControlRow& row : page.rows)
            if (row.setting && &row != found.row && !row.named && !found.row->named &&
                OwnName(page, row).compare(name, Qt::CaseInsensitive) == 0) {
                const ControlRow* group = Group(*found.page, found.row->parent);
                return group ? QStringLiteral("%1 (%2)").arg(name, Plain(group->caption)) : name;
            }
    return name;
}

QString AccessibleName(const PageLayout& page, const ControlRow& row)
{
    return row.setting ? SettingName(*row.setting) : OwnName(page, row);
}

QString PageOf(scriptgen::Setting setting)
{
    const Found found = Find(setting);
    return found.page ? QString::fromUtf8(found.page->title) : QString();
}

} // namespace zestrel
