#include "about/systeminfo.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/utsname.h>
#include <unistd.h>
#endif

QString SystemVersionText(const SystemVersion& version)
{
    QString text =
        QStringLiteral("%1 %2.%3 (Build %4").arg(version.name).arg(version.major).arg(version.minor).arg(version.build);
    if (!version.extra.isEmpty())
        text += QStringLiteral(": ") + version.extra;
    return text + QLatin1Char(')');
}

QString OperatingSystemText(const OsVersionRecord& record)
{
    switch (record.platformKind) {
    case 1:
        return SystemVersionText(
            {QStringLiteral("Windows 95"), record.major, record.minor, record.build & 0xFFFFu, record.servicePack});
    case 2:
        return SystemVersionText(
            {QStringLiteral("Windows NT"), record.major, record.minor, record.build, record.servicePack});
    default:
        return QStringLiteral("Windows %1.%2").arg(record.major).arg(record.minor);
    }
}

SystemVersion ParseKernelRelease(const QString& release)
{
    // Only the leading run of dot-separated numbers counts: "6.1.0-18-amd64" stops at the dash.
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch match = numbers.match(release);
    SystemVersion version;
    version.major = match.captured(1).toInt();
    version.minor = match.captured(2).toInt();
    version.build = match.captured(3).toUInt();
    return version;
}

QString PrettyNameFromOsRelease(const QString& osRelease)
{
    const QString key = QStringLiteral("PRETTY_NAME=");
    for (const QString& line : osRelease.split(QLatin1Char('\n'))) {
        if (!line.startsWith(key))
            continue;
        QString value = line.mid(key.size()).trimmed();
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))) {
            const bool doubleQuoted = value.front() == QLatin1Char('"');
            value = value.mid(1, value.size() - 2);
            if (doubleQuoted) {
                // Shell quoting: a backslash keeps the next character as it is.
                QString unescaped;
                for (qsizetype i = 0; i < value.size(); ++i) {
                    if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
                        ++i;
                    unescaped += value[i];
                }
                value = unescaped;
            }
        }
        return value;
    }
    return {};
}

namespace {

QString DistributionName()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly | QIODevice::Text))
            return PrettyNameFromOsRelease(QString::fromUtf8(file.readAll()));
    }
    return {};
}

} // namespace

QString CurrentOperatingSystemText()
{
#ifdef Q_OS_WIN
    // Qt reads the true version record; the NT line is the only one Qt runs on.
    OsVersionRecord record;
    const SystemVersion kernel = ParseKernelRelease(QSysInfo::kernelVersion());
    record.platformKind = 2;
    record.major = kernel.major;
    record.minor = kernel.minor;
    record.build = kernel.build;
    return OperatingSystemText(record);
#else
    utsname names{};
    if (uname(&names) != 0)
        return SystemVersionText({QSysInfo::kernelType(), 0, 0, 0, DistributionName()});
    SystemVersion version = ParseKernelRelease(QString::fromLocal8Bit(names.release));
    version.name = QString::fromLocal8Bit(names.sysname);
    version.extra = DistributionName();
    return SystemVersionText(version);
#endif
}

std::uint64_t TotalPhysicalMemory()
{
#ifdef Q_OS_WIN
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
}

QString PhysicalMemoryText(std::uint64_t bytes, const QLocale& locale)
{
    const std::uint64_t kilobytes = bytes >> 10;
    QString number;
    if (kilobytes > 0) {
        const QString digits = QString::number(kilobytes);
        const QString separator = locale.groupSeparator();
        for (qsizetype i = 0; i < digits.size(); ++i) {
            if (i > 0 && (digits.size() - i) % 3 == 0)
                number += separator;
            number += digits[i];
        }
    }
    return number + QStringLiteral(" KB");
}
