#include "about/website.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace {

UrlOpener& CurrentOpener()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

QString WebSiteAddress()
{
    return QStringLiteral(ZESTREL_SITE_URL);
}

QString WebSiteShownAddress()
{
    QString address = WebSiteAddress();
    if (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    return std::exchange(CurrentOpener(), std::move(opener));
}

bool OpenWebSite(QWidget* /*parent*/)
{
    const QUrl address(WebSiteAddress());
    if (const UrlOpener& opener = CurrentOpener())
        return opener(address);
    return QDesktopServices::openUrl(address);
}
