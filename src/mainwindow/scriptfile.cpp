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

    // Unbuffered, and written until every byte is accepted: a short write is
    // followed by another attempt, which reports the system's reason. (A
    // buffered QSaveFile can lose a failed flush and commit a cut file.)
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Fail(path, file.errorString());
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const qint64 written = file.write(data, left);
        if (written <= 0)
            Fail(path, file.errorString());
        data += written;
        left -= written;
    }
    if (!file.commit())
        Fail(path, file.errorString());
}

} // namespace zestrel
