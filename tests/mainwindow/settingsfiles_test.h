#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class SettingsFilesTest : public WindowTest {
    Q_OBJECT
private slots:
    void everyControlComesBackFromTheFile();
    void damagedFilesLeaveTheWindowAsItWas_data();
    void damagedFilesLeaveTheWindowAsItWas();
    void unknownAndMissingKeys();
    void openingNamesThePasswordsToType_data();
    void openingNamesThePasswordsToType();
    void openingClearsTheCompiledScript();
    void saveAndSaveAs();
    void failedSaveKeepsTheOldFile();
    void dialogsOpenWhereTheWorksFilesWere();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void realQuestionBeforeLosingChanges();
    void recentSettings();
    void droppedSettingsFileOpens();
};
