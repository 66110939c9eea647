#pragma once

#include "formreader/formreader.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace zestrel {

// A form read from a page: the form, what to tell the user of it, and the
// script its action names beside the page (empty when it names none).
struct FormRead {
    formreader::Form form;
    QString report;
    QString script;
};

// Reads the forms of the page at `path`, letting the user choose one when it
// holds several. None when the page is no HTML page or holds no form (a box
// then says so) or the user cancelled the choice; throws when the file
// cannot be read.
std::optional<FormRead> ReadFormPage(const QString& path, QWidget* parent);

// Replaces the field list as one step of its undo.
void ReplaceLines(QPlainTextEdit* memo, const std::vector<std::string>& lines);

// What became of the ticks of the mail list, a sentence for the report, when
// there were any: `ticked` before, `dropped` those whose fields are gone.
QString TicksKept(const QStringList& ticked, const QStringList& dropped);

// Hands a file dropped onto the window or the field list to `open`.
void AcceptFileDrops(QWidget* window, QWidget* fieldList, const std::function<void(const QString&)>& open);

} // namespace zestrel
