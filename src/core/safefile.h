#pragma once

#include "scriptgen/settings.h"

#include <QString>

#include <stdexcept>

namespace zestrel {

// A save that failed; the message names the file and the system's reason.
class SaveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file a chosen name stands for: ".php" is appended unless the name
// already ends in it (in any case).
QString ScriptFileName(const QString& chosen);

// What stands at the name a script is to be saved under.
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

// Writes each line followed by CR LF, UTF-8 without a byte-order mark, to a
// new file beside target.file, flushes it to the disk and then moves it into
// target.file's place, so a failure leaves an existing file as it was; a
// symbolic link at the name stays and leads to the new file. Where the name
// was free, the file takes it only if it is still free: returns false, and
// leaves everything as it was, when something has taken it meanwhile.
// Throws SaveError.
bool WriteScriptFile(const SaveTarget& target, const scriptgen::Lines& lines);

} // namespace zestrel
