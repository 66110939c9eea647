#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class SwitchesTest : public WindowTest {
    Q_OBJECT
private slots:
    void switches_data();
    void switches();
    void pickerEnabledAgainByItsSwitch();
    void newScriptOnFreshWindow();
    void newScriptKeepsValuesAndSwitches();
    void newScriptEmptiesEveryControl();
};
