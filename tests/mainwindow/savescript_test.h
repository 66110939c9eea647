#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class SaveScriptTest : public WindowTest {
    Q_OBJECT
private slots:
    void refusedBeforeAnyCompile();
    void refusedAfterNewScript();
    void whichFileIsWritten_data();
    void whichFileIsWritten();
    void cancelledDialogWritesNothing();
    void dialogRemembersTheLastName();
    void fileHoldsTheBufferWithCrLf();
    void laterSettingsDoNotReachTheFile();
    void realConfirmationBox();
    void failedSave_data();
    void failedSave();
    void failedWriteLeavesTheOldFileIntact();
    void whatStandsAtTheName_data();
    void whatStandsAtTheName();
    void nameTakenWhileWriting_data();
    void nameTakenWhileWriting();
    void longNames_data();
    void longNames();
};
