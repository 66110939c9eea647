#pragma once

// The body of every handler of the windows runs through Guard.
#include "core/textrules.h"
#include "mainwindow/dialogs.h"

#include <exception>

namespace zestrel {

// Runs a handler body; an error it raises is shown in an error box and the
// window goes on.
template <typename Body> void Guard(Body&& body) noexcept
{
    try {
        body();
    } catch (const std::exception& error) {
        MessageBoxes::error(ApplicationTitle(), QString::fromUtf8(error.what()));
    } catch (...) {
        MessageBoxes::error(ApplicationTitle(), QStringLiteral("An unexpected error occurred."));
    }
}

} // namespace zestrel
