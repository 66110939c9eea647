#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class CompileTest : public WindowTest {
    Q_OBJECT
private slots:
    void compileDefaultWindow();
    void compileNotesWhatTheClassicScriptNeeds_data();
    void compileNotesWhatTheClassicScriptNeeds();
    void compileTypedFieldList();
    void compileReadsEveryControl();
    void helpRecipesGiveTheirScripts();
    void longWrappedFieldNameStaysOneVariable();
    void pastedLineBreakBecomesSpace_data();
    void pastedLineBreakBecomesSpace();
};
