#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class SafeScriptTest : public WindowTest {
    Q_OBJECT
private slots:
    void switchBelowTheDatabaseGroup();
    void problemsAreListedAndNothingIsCompiled();
    void soundSettingsCompileTheSafeScript();
    void problemsInTheOrderOfTheBoxes();
    void longListsOfProblemsAreCut_data();
    void longListsOfProblemsAreCut();
};
