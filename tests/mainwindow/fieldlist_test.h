#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class FieldListTest : public WindowTest {
    Q_OBJECT
private slots:
    void propagation_data();
    void propagation();
    void retypingUnticksMailVariables();
    void emptyingFieldListEmptiesLists();
    void pickerFillsValueCells();
    void choosingFromTheList_data();
    void choosingFromTheList();
    void freshlyTickedPickerWritesRowOne();
    void emptiedListLosesHeaderRow();
    void headerRowCannotBeSelected();
    void fillAndMapFromTheFieldList_data();
    void fillAndMapFromTheFieldList();
    void linesOfTheFieldList_data();
    void linesOfTheFieldList();
};
