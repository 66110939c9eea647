#include "mainwindow/onlinecommand.h"

#include "about/website.h"
#include "core/textrules.h"
#include "mainwindow/dialogs.h"

namespace zestrel {

void OpenWebSiteOrShowAddress(QWidget* parent)
{
    if (!OpenWebSite(parent))
        MessageBoxes::warning(ApplicationTitle(),
            QStringLiteral("No web browser could be opened for the web site. Its address is:\n%1")
                .arg(WebSiteAddress()));
}

} // namespace zestrel
