#pragma once

// The installed program run as a user runs it: with no display to connect to
// and no password variable of the caller's, but those a test gives.
#include <QProcess>
#include <QTemporaryDir>

struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

inline Run RunProgram(const QStringList& arguments, const QStringList& variables = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : environment.keys())
        if (name.startsWith("ZESTREL_") || name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM")
            environment.remove(name);
    for (const QString& variable : variables)
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    // A window's toolkit warns on standard error without a runtime folder of its own.
    const QTemporaryDir runtime;
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZESTREL_PROGRAM), arguments);
    if (!process.waitForFinished(60000))
        qFatal("the program did not finish");
    Run run;
    run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
