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

// Writes each line followed by CR LF, UTF-8 without a byte-order mark. The
// text goes to a file beside the target that then takes its place, so a
// failure leaves an existing file as it was. Throws SaveError.
void WriteScriptFile(const QString& path, const scriptgen::Lines& lines);

} // namespace zestrel
