#pragma once

// The body of every handler of the main window runs through Guard.
#include "mainwindow/dialogs.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/textrules.h"

#include <exception>

template <typename Body> void TForm1::Guard(Body&& body) noexcept
{
    try {
        body();
    } catch (const std::exception& error) {
        zestrel::MessageBoxes::error(zestrel::ApplicationTitle(), QString::fromUtf8(error.what()));
    } catch (...) {
        zestrel::MessageBoxes::error(zestrel::ApplicationTitle(), QStringLiteral("An unexpected error occurred."));
    }
}
