#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class CommandsTest : public WindowTest {
    Q_OBJECT
private slots:
    void pageItems_data();
    void pageItems();
    void exitClosesWindow();
    void helpAndAboutOpenModally_data();
    void helpAndAboutOpenModally();
    void onlineOpensTheWebSite_data();
    void onlineOpensTheWebSite();
};
