#pragma once

// Declared in a header so that moc's output is compiled on its own.
#include <QObject>

class SafeScriptTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void switchBelowTheDatabaseGroup();
    void problemsAreListedAndNothingIsCompiled();
    void soundSettingsCompileTheSafeScript();
};
