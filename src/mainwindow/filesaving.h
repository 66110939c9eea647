#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace zestrel {

// Saves the bytes under `name` with the careful writer, asking "File already
// Exists. Overwrite File?" first whenever something stands there, also when
// it appeared while the file was being written. With askBeforeReplacing
// false, a file at the name is replaced without asking. Returns false when
// the user did not answer Yes; throws SaveError when the file cannot be
// written.
bool SaveAskingBeforeReplacing(const QString& name, const QByteArray& bytes, std::optional<mode_t> mode = std::nullopt,
    bool askBeforeReplacing = true);

} // namespace zestrel
