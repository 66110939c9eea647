#pragma once

#include <QString>

#include <functional>

class QUrl;
class QWidget;

// The maker's site root, as configured at build time; it ends with a slash.
QString WebSiteAddress();

// The same address as the About window shows it, without its final slash.
QString WebSiteShownAddress();

// What hands an address to the default browser. Tests install a fake so that
// no browser opens; an empty opener restores the desktop's own.
using UrlOpener = std::function<bool(const QUrl&)>;
UrlOpener SetUrlOpener(UrlOpener opener);

// Opens the maker's site in the default browser and does not wait for it.
// Returns false when the desktop could not hand the address to a browser
// (none registered); showing that is left to the caller.
bool OpenWebSite(QWidget* parent);
