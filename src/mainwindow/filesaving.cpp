#include "mainwindow/filesaving.h"

#include "core/safefile.h"
#include "mainwindow/dialogs.h"

namespace zestrel {

bool SaveAskingBeforeReplacing(
    const QString& name, const QByteArray& bytes, std::optional<mode_t> mode, bool askBeforeReplacing)
{
    for (bool ask = askBeforeReplacing;; ask = true) {
        const SaveTarget target = InspectSaveTarget(name);
        if (target.exists && ask &&
            MessageBoxes::confirm(QStringLiteral("File already Exists. Overwrite File?")) != QMessageBox::Yes)
            return false;
        if (WriteFileSafely(target, bytes, mode))
            return true;
    }
}

} // namespace zestrel
