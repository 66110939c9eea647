#pragma once

class QWidget;

namespace zestrel {

// The Online command: opens the maker's web site in the default browser, or,
// when the desktop cannot, shows the address in a box to copy it from.
void OpenWebSiteOrShowAddress(QWidget* parent);

} // namespace zestrel
