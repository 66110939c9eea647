#pragma once

#include <QString>

#include <cstdint>

class QLocale;

// The fields of a Windows version record that the About window shows.
struct OsVersionRecord {
    int platformKind = 0; // 1: the consumer line, 2: the NT line, anything else: older kinds
    int major = 0;
    int minor = 0;
    std::uint32_t build = 0;
    QString servicePack; // empty when none is installed
};

// A system named by itself rather than by a Windows platform kind.
struct SystemVersion {
    QString name;
    int major = 0;
    int minor = 0;
    std::uint32_t build = 0;
    QString extra; // service pack or distribution name; empty when unknown
};

// "name major.minor (Build n)", or "(Build n: extra)" when extra is not empty.
QString SystemVersionText(const SystemVersion& version);

// The operating-system text of a Windows version record: the consumer line
// shows the low 16 bits of its build only, the NT line the full build, any
// other kind no build at all.
QString OperatingSystemText(const OsVersionRecord& record);

// Major, minor and third number of a kernel release such as "6.1.0-18-amd64";
// missing numbers are 0.
SystemVersion ParseKernelRelease(const QString& release);

// PRETTY_NAME of an os-release file's text, unquoted; empty when absent.
QString PrettyNameFromOsRelease(const QString& osRelease);

// The operating-system text of the running system.
QString CurrentOperatingSystemText();

// Total physical memory in bytes, 0 when the system does not say.
std::uint64_t TotalPhysicalMemory();

// Whole kilobytes grouped in threes with the locale's group separator, then
// " KB"; a total below 1 KB prints no digits at all.
QString PhysicalMemoryText(std::uint64_t bytes, const QLocale& locale);
