#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include <QObject>

class ReadFormTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void buttonAndDropsFillTheFieldList_data();
    void buttonAndDropsFillTheFieldList();
    void undoBringsBackTheOldList();
    void severalFormsGiveTheChoice_data();
    void severalFormsGiveTheChoice();
    void realChoiceList();
    void pageWithoutFormChangesNothing_data();
    void pageWithoutFormChangesNothing();
    void saveProposesTheActionScript();
};
