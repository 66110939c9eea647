#include "mainwindow/scriptfile.h"

#include <QDir>
#include <QSaveFile>

namespace zestrel {

namespace {

[[noreturn]] void Fail(const QString& path, const QString& reason)
{
    throw SaveError(QStringLiteral("Cannot save the script to \"%1\": %2")
                        .arg(QDir::toNativeSeparators(path), reason)
                        .toStdString());
}

} // namespace

QString ScriptFileName(const QString& chosen)
{
    const QString suffix = QStringLiteral(".php");
    return chosen.endsWith(suffix, Qt::CaseInsensitive) ? chosen : chosen + suffix;
}

void WriteScriptFile(const QString& path, const scriptgen::Lines& lines)
{
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(size));
    for (const std::string& line : lines)
        bytes.append(line.data(), static_cast<qsizetype>(line.size())).append("\r\n", 2);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        Fail(path, file.errorString());
    if (file.write(bytes) != bytes.size())
        Fail(path, file.errorString());
    if (!file.commit())
        Fail(path, file.errorString());
}

} // namespace zestrel
