#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class CommandLineTest : public WindowTest {
    Q_OBJECT
private slots:
    void compileGivesTheWindowsScript_data();
    void compileGivesTheWindowsScript();
    void windowStartsWithTheFileOpen();
};
