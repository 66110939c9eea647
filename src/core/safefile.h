#pragma once

#include "scriptgen/settings.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>
#include <sys/types.h>

namespace zestrel {

// A save that failed: the file and the system's reason, for the caller to
// word.
class SaveError : public std::runtime_error {
public:
    SaveError(const QString& path, const QString& reason);
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }

private:
    QString path_;
    QString reason_;
};

// The file a chosen name stands for: `suffix` is appended unless the name
// already ends in it (in any case).
QString WithSuffix(const QString& chosen, const QString& suffix);
inline QString ScriptFileName(const QString& chosen)
{
    return WithSuffix(chosen, QStringLiteral(".php"));
}

// What a symbolic link holds, as it was made: the name it leads to.
QString LinkText(const QString& link);

// A script as it is saved: each line followed by CR LF, UTF-8 without a
// byte-order mark.
QByteArray ScriptBytes(const scriptgen::Lines& lines);

// What stands at the name a file is to be saved under.
struct SaveTarget {
    QString name; // the name, as chosen
    QString file; // the file to write: the name, or the file its symbolic link leads to
    bool exists = false; // anything stands at the name, a symbolic link included
};

// Looks at the name without changing anything. A free name, a regular file
// and a symbolic link to a regular file can be saved to; a folder, a FIFO, a
// device, a socket, a symbolic link to any of them, a link to nothing and a
// loop of links are refused with SaveError, which says what stands there.
SaveTarget InspectSaveTarget(const QString& name);

// Writes the bytes to a new file beside target.file, flushes it to the disk
// and then moves it into target.file's place, so a failure leaves an
// existing file as it was; a symbolic link at the name stays and leads to
// the new file. The file gets `mode` when one is given; otherwise a replaced
// file keeps its permissions and a new one gets those the umask allows.
// Where the name was free, the file takes it only if it is still free:
// returns false, and leaves everything as it was, when something has taken
// it meanwhile. Throws SaveError.
bool WriteFileSafely(const SaveTarget& target, const QByteArray& bytes, std::optional<mode_t> mode = std::nullopt);

} // namespace zestrel
