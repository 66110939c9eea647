#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include "windowfixture.h"

class MailServerTest : public WindowTest {
    Q_OBJECT
private slots:
    void presetsFillTheServersBoxes_data();
    void presetsFillTheServersBoxes();
    void securityBringsItsUsualPort_data();
    void securityBringsItsUsualPort();
    void eachBoxHasItsCaptionInOrder();
    void cancelKeepsWhatWasThere();
    void theSafeScriptSendsThroughTheServer();
    void theCheckPointsAtTheButton();
};
