#include "commandline/commandline.h"
#ifndef ZESTREL_WITHOUT_WINDOW
#include "mainwindow/mainwindow.h"

#include <QApplication>
#endif

#include <QTextStream>

#include <cstdio>

namespace {

int RunWithoutWindow(const zestrel::CommandLine& command)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return zestrel::RunWithoutWindow(command, out, err);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
#ifdef ZESTREL_WITHOUT_WINDOW
    // A build without the window is the command line alone.
    return RunWithoutWindow(zestrel::ParseCommandLine(arguments));
#else
    // A compile from the command line needs no display: it runs before the
    // window's toolkit would look for one.
    if (zestrel::WantsNoWindow(arguments))
        return RunWithoutWindow(zestrel::ParseCommandLine(arguments));

    QApplication app(argc, argv);
    // The toolkit has taken its own options out of the arguments by now.
    const zestrel::CommandLine command = zestrel::ParseCommandLine(QApplication::arguments().mid(1));
    if (command.mode != zestrel::CommandLine::Mode::Window)
        return RunWithoutWindow(command);
    TForm1 form;
    form.show();
    // Opened once the window is shown, after its first-activation settings.
    if (!command.settingsFile.isEmpty())
        form.OpenSettingsFile(command.settingsFile);
    return app.exec();
#endif
}
