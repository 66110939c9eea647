#include "core/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zestrel {

namespace {

[[noreturn]] void Fail(const QString& path, const QString& reason)
{
    throw SaveError(path, reason);
}

[[noreturn]] void FailWithErrno(const QString& path, int error)
{
    Fail(path, QString::fromLocal8Bit(std::strerror(error)));
}

QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO (named pipe)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a special file");
}

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    // Closes now, so that a failure to close can be reported: 0 or errno.
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// A new, empty file in a folder under a short name of its own, within the
// name length of any file system however long the script's name is. It is
// removed again unless it was given its final name.
class TemporaryFile {
public:
    TemporaryFile(int folder, const QString& path, mode_t mode)
        : folder_(folder), file_(Create(folder, path, mode, name_))
    {
    }
    ~TemporaryFile()
    {
        if (!name_.isEmpty())
            unlinkat(folder_, name_.constData(), 0);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    Descriptor& file() { return file_; }
    const QByteArray& name() const { return name_; }
    // The file has its final name: nothing to remove.
    void keep() { name_.clear(); }

private:
    static int Create(int folder, const QString& path, mode_t mode, QByteArray& name)
    {
        constexpr int kAttempts = 100;
        const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            QByteArray candidate(".zestrel-");
            for (int i = 0; i < 6; ++i)
                candidate.append(letters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof letters) - 1)]);
            const int fd = openat(folder, candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (fd >= 0) {
                name = candidate;
                return fd;
            }
            if (errno != EEXIST)
                FailWithErrno(path, errno);
        }
        FailWithErrno(path, EEXIST);
    }

    int folder_;
    QByteArray name_;
    Descriptor file_;
};

// Gives the temporary file a name that must still be free: fails with
// EEXIST when anything stands there, a dangling symbolic link included.
int RenameNoReplace(int folder, const QByteArray& from, const QByteArray& to)
{
    if (renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without the flag: a second hard link is made only under
    // a free name, then the temporary name goes.
    if (linkat(folder, from.constData(), folder, to.constData(), 0) != 0)
        return errno;
    unlinkat(folder, from.constData(), 0);
    return 0;
}

} // namespace

QString LinkText(const QString& link)
{
    QByteArray text(PATH_MAX, '\0');
    const ssize_t size =
        readlink(QFile::encodeName(link).constData(), text.data(), static_cast<std::size_t>(text.size()));
    text.truncate(size < 0 ? 0 : static_cast<qsizetype>(size));
    return QFile::decodeName(text);
}

SaveError::SaveError(const QString& path, const QString& reason)
    : std::runtime_error(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason).toStdString()),
      path_(path), reason_(reason)
{
}

QString WithSuffix(const QString& chosen, const QString& suffix)
{
    return chosen.endsWith(suffix, Qt::CaseInsensitive) ? chosen : chosen + suffix;
}

QByteArray ScriptBytes(const scriptgen::Lines& lines)
{
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(size));
    for (const std::string& line : lines)
        bytes.append(line.data(), static_cast<qsizetype>(line.size())).append("\r\n", 2);
    return bytes;
}

SaveTarget InspectSaveTarget(const QString& name)
{
    const QByteArray native = QFile::encodeName(name);
    struct stat status {};
    if (lstat(native.constData(), &status) != 0) {
        // A missing folder on the way is reported when the file is written.
        if (errno == ENOENT)
            return {name, name, false};
        FailWithErrno(name, errno);
    }
    if (S_ISREG(status.st_mode))
        return {name, name, true};
    if (!S_ISLNK(status.st_mode))
        Fail(name, QStringLiteral("it is %1, not a regular file").arg(KindOf(status.st_mode)));

    struct stat linked {};
    if (stat(native.constData(), &linked) != 0) {
        if (errno == ENOENT)
            Fail(name, QStringLiteral("it is a symbolic link to \"%1\", which does not exist").arg(LinkText(name)));
        if (errno == ELOOP)
            Fail(name, QStringLiteral("it is a symbolic link that leads round in a loop"));
        FailWithErrno(name, errno);
    }
    if (!S_ISREG(linked.st_mode))
        Fail(name, QStringLiteral("it is a symbolic link to %1, not to a regular file").arg(KindOf(linked.st_mode)));
    char* resolved = realpath(native.constData(), nullptr);
    if (!resolved)
        FailWithErrno(name, errno);
    const QString file = QFile::decodeName(resolved);
    std::free(resolved);
    return {name, file, true};
}

bool WriteFileSafely(const SaveTarget& target, const QByteArray& bytes, std::optional<mode_t> mode)
{
    const QFileInfo file(target.file);
    const QByteArray fileName = QFile::encodeName(file.fileName());
    Descriptor folder(open(QFile::encodeName(file.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        FailWithErrno(target.name, errno);

    // Without a mode of its own the file gets the permissions the user's
    // umask allows any new file, and a replaced file keeps its own.
    TemporaryFile temporary(folder.get(), target.name, mode.value_or(0666));
    struct stat existing {};
    if (mode) {
        // Exactly the mode asked for, which the umask may have narrowed at creation.
        if (fchmod(temporary.file().get(), *mode) != 0)
            FailWithErrno(target.name, errno);
    } else if (target.exists && fstatat(folder.get(), fileName.constData(), &existing, 0) == 0 &&
        fchmod(temporary.file().get(), existing.st_mode & 07777) != 0) {
        FailWithErrno(target.name, errno);
    }
    const char* data = bytes.constData();
    std::size_t left = static_cast<std::size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = write(temporary.file().get(), data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            FailWithErrno(target.name, errno);
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (fsync(temporary.file().get()) != 0)
        FailWithErrno(target.name, errno);
    if (const int error = temporary.file().close())
        FailWithErrno(target.name, error);

    if (target.exists) {
        if (renameat(folder.get(), temporary.name().constData(), folder.get(), fileName.constData()) != 0)
            FailWithErrno(target.name, errno);
    } else if (const int error = RenameNoReplace(folder.get(), temporary.name(), fileName)) {
        if (error == EEXIST)
            return false;
        FailWithErrno(target.name, error);
    }
    temporary.keep();
    // The new name is on the disk only once the folder is; a file system
    // that cannot sync folders says EINVAL.
    if (fsync(folder.get()) != 0 && errno != EINVAL)
        FailWithErrno(target.name, errno);
    if (const int error = folder.close())
        FailWithErrno(target.name, error);
    return true;
}

} // namespace zestrel
