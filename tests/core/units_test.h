#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include <QObject>

class UnitsTest : public QObject {
    Q_OBJECT
private slots:
    void gridStartsWithHeaderAndOneDataRow();
    void gridRowsFollowTheList_data();
    void gridRowsFollowTheList();
    void gridKeepsTextsOfHiddenRows();
    void gridLosesItsHeaderRowWhenTheListIsEmptied();
    void gridRefusesSelectingFixedOrMissingCells_data();
    void gridRefusesSelectingFixedOrMissingCells();
    void gridCurrentCellFollowsAShrinkingList();
    void gridResetColumnWritesTheHeading();
    void gridShowsTheValuesOfASettingsFile_data();
    void gridShowsTheValuesOfASettingsFile();
    void gridValueGoesToTheCurrentRow();
    void flattenLineBreaks_data();
    void flattenLineBreaks();
    void applicationTitle_data();
    void applicationTitle();
    void accelerators_data();
    void accelerators();
    void scriptFileName_data();
    void scriptFileName();
};
