#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class ReadFormTest : public WindowTest {
    Q_OBJECT
private slots:
    void buttonAndDropsFillTheFieldList_data();
    void buttonAndDropsFillTheFieldList();
    void undoBringsBackTheOldList();
    void readingAgainKeepsTicksAndValues();
    void severalFormsGiveTheChoice_data();
    void severalFormsGiveTheChoice();
    void realChoiceList();
    void pageWithoutFormChangesNothing_data();
    void pageWithoutFormChangesNothing();
    void unreadablePageIsReported();
    void saveProposesTheActionScript_data();
    void saveProposesTheActionScript();
    void rulesTableFollowsTheFormAndTheList();
    void aRuleAtFaultOpensAtItsCell_data();
    void aRuleAtFaultOpensAtItsCell();
};
