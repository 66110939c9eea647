#pragma once

#include <QString>
#include <QStringList>

namespace zestrel {

// Whether a single-line box would take the character for a line break.
bool IsLineBreak(QChar c);

// Replaces every line break (CR LF counting as one) by a space, keeping
// `cursor` on the same character; used by single-line boxes.
QString FlattenLineBreaks(const QString& text, int* cursor = nullptr);

// The program file's name up to its first dot, every letter after the first
// in lower case: "ScriptMaker.exe" gives "Scriptmaker".
QString ApplicationTitleFor(const QString& programFilePath);

// The title of the running program.
QString ApplicationTitle();

// Gives each caption an accelerator mark on a letter no other caption of the
// list uses yet, preferring the first letters of words; a caption without a
// free letter stays unmarked.
QStringList WithAccelerators(const QStringList& captions);

} // namespace zestrel
