#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include <QObject>

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void windowFrame();
    void defaultStateAfterStart();
    void defaultTexts_data();
    void defaultTexts();
    void bounds_data();
    void bounds();
    void captionsFitTheirBounds();
    void fontAndColours();
    void toolBar();
    void menus_data();
    void menus();
    void menusHaveDistinctAccelerators();
    void tabOrder_data();
    void tabOrder();

    void realMessageBoxAndFirstActivationOnce();
    void shownWithoutActivationStillAppliesFirstSettings();

    void propagation_data();
    void propagation();
    void retypingUnticksMailVariables();
    void emptyingFieldListEmptiesLists();

    void gridRowsFollowTableFields();
    void pickerFillsValueCells();
    void choosingFromTheList_data();
    void choosingFromTheList();
    void freshlyTickedPickerWritesRowOne();
    void renamedFieldKeepsItsValue();
    void hiddenRowComesBackWithItsValue();
    void emptiedListLosesHeaderRow();
    void headerRowCannotBeSelected();

    void switches_data();
    void switches();
    void pickerEnabledAgainByItsSwitch();

    void newScriptOnFreshWindow();
    void newScriptKeepsValuesAndSwitches();
    void newScriptEmptiesEveryControl();
    void pageItems_data();
    void pageItems();
    void exitClosesWindow();
    void helpAndAboutOpenModally_data();
    void helpAndAboutOpenModally();
    void onlineOpensTheWebSite_data();
    void onlineOpensTheWebSite();

    void compileDefaultWindow();
    void compileTypedFieldList();
    void compileReadsEveryControl();
    void helpRecipesGiveTheirScripts();
    void longWrappedFieldNameStaysOneVariable();
    void pastedLineBreakBecomesSpace_data();
    void pastedLineBreakBecomesSpace();
};
