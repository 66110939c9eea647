#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class LayoutTest : public WindowTest {
    Q_OBJECT
private slots:
    void windowFrame();
    void defaultStateAfterStart();
    void defaultTexts_data();
    void defaultTexts();
    void everyRowMakesItsControl();
    void bounds_data();
    void bounds();
    void captionsFitTheirBounds();
    void fontAndColours();
    void toolBar();
    void accessibleNames_data();
    void accessibleNames();
    void menus_data();
    void menus();
    void menusHaveDistinctAccelerators();
    void tabOrder_data();
    void tabOrder();
    void realMessageBoxAndFirstActivationOnce();
    void shownWithoutActivationStillAppliesFirstSettings();
};
