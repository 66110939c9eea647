#include "commandline/commandline.h"

#include "commandline/terminaltext.h"
#include "core/safefile.h"
#include "core/settingsfile.h"
#include "scriptgen/compiler.h"

#include <QDir>
#include <QFileDevice>
#include <QTextStream>

#include <optional>
#include <string>
#include <type_traits>
#include <variant>

namespace zestrel {

namespace {

const QString kProgram = QStringLiteral("zestrel");
const QString kStandardOutput = QStringLiteral("-");

// The variable of a password, as settings.def names it.
QString Variable(scriptgen::Setting setting)
{
    const std::string_view variable = scriptgen::InfoOf(setting).variable;
    return QString::fromUtf8(variable.data(), static_cast<qsizetype>(variable.size()));
}

QString HelpText()
{
    QString variables;
    for (const scriptgen::SettingInfo& info : scriptgen::kSettingTable)
        if (!info.variable.empty())
            variables += QStringLiteral("  %1 fills the setting \"%2\"\n")
                             .arg(Variable(info.setting).leftJustified(24),
                                 QString::fromUtf8(info.key.data(), static_cast<qsizetype>(info.key.size())));
    return QStringLiteral("Usage: zestrel [FILE.zestrel]\n"
                          "       zestrel --compile FILE.zestrel -o SCRIPT.php\n"
                          "       zestrel --check FILE.zestrel\n"
                          "\n"
                          "Zestrel PHP Script Creator writes the PHP script that handles a submitted\n"
                          "HTML form. Without --compile or --check it opens its window, with\n"
                          "FILE.zestrel open if one is named; a build without the window refuses that.\n"
                          "\n"
                          "Options, in any order:\n"
                          "  --compile               compile the settings file without a window\n"
                          "  --check                 check the settings file as --compile does, and\n"
                          "                          write nothing\n"
                          "  -o, --output SCRIPT.php the script to write, \"-\" for standard output; an\n"
                          "                          existing file is replaced only once the new script\n"
                          "                          is complete\n"
                          "  -h, --help              show this help and exit\n"
                          "  --version               show the version and exit\n"
                          "\n"
                          "Settings files hold no passwords; these environment variables supply them:\n") +
        variables +
        QStringLiteral("A safe script that needs a password whose variable is not set is refused.\n"
                       "Without %1 the script connects to MySQL with an empty\n"
                       "password, as the window's does when its box is left empty.\n"
                       "\n"
                       "Exit status: 0 when the script was written, or --check found nothing; 1 when\n"
                       "the settings file cannot be read or the script cannot be written; 2 when\n"
                       "the safe script's check finds problems, each printed on a line of its own;\n"
                       "64 when the command line is wrong.\n")
            .arg(Variable(scriptgen::Setting::Password));
}

CommandLine Wrong(const QString& what)
{
    CommandLine command;
    command.mode = CommandLine::Mode::Wrong;
    command.wrong = what;
    return command;
}

// Fills each password that its environment variable supplies.
void FillPasswords(scriptgen::ScriptSettings& settings)
{
    for (const scriptgen::SettingInfo& info : scriptgen::kSettingTable) {
        const std::string variable(info.variable);
        if (variable.empty() || !qEnvironmentVariableIsSet(variable.c_str()))
            continue;
        const std::string value = qgetenv(variable.c_str()).toStdString();
        std::visit(
            [&](auto member) {
                using Value = std::remove_cvref_t<decltype(settings.*member)>;
                if constexpr (std::is_same_v<Value, std::string>)
                    settings.*member = value;
                else if constexpr (std::is_same_v<Value, std::optional<scriptgen::SmtpServer>>)
                    if (settings.*member)
                        (settings.*member)->password = value;
            },
            info.member);
    }
}

// Writes the script to standard output, through the device behind `out`.
void WriteToStandardOutput(const QByteArray& bytes, QTextStream& out)
{
    out.flush();
    QIODevice* device = out.device();
    auto* file = qobject_cast<QFileDevice*>(device);
    const bool written = device && device->write(bytes) == bytes.size();
    if (!written || (file && !file->flush()))
        throw SaveError(
            QStringLiteral("standard output"), device ? device->errorString() : QStringLiteral("it cannot be written"));
}

int CompileOrCheck(const CommandLine& command, QTextStream& out, QTextStream& err)
{
    const QString shownFile = QDir::toNativeSeparators(command.settingsFile);
    OpenedSettings opened;
    try {
        opened = ReadSettingsFile(command.settingsFile);
    } catch (const SettingsFileError& error) {
        err << kProgram << ": cannot read " << shownFile << ": " << error.reason() << ".\n";
        return kExitFileFailed;
    }
    if (!opened.leftOut.isEmpty())
        err << kProgram << ": " << shownFile
            << ": left out settings this version does not know: " << opened.leftOut.join(QStringLiteral(", ")) << ".\n";
    scriptgen::ScriptSettings& settings = opened.settings;
    FillPasswords(settings);

    const std::vector<scriptgen::Problem> problems = scriptgen::ProblemsBeforeCompile(settings);
    if (!problems.empty()) {
        for (const scriptgen::Problem& problem : problems)
            err << shownFile << ": " << QString::fromStdString(TerminalText(problem)) << '\n';
        return kExitCheckFailed;
    }

    if (command.mode == CommandLine::Mode::Compile) {
        const QString shownOutput = command.output == kStandardOutput ? QStringLiteral("standard output")
                                                                      : QDir::toNativeSeparators(command.output);
        try {
            const QByteArray bytes = ScriptBytes(scriptgen::CompileScript(settings));
            if (command.output == kStandardOutput)
                WriteToStandardOutput(bytes, out);
            else
                // A name taken while the script was written is looked at
                // again and replaced, as any existing file is.
                while (!WriteFileSafely(InspectSaveTarget(command.output), bytes)) {}
        } catch (const SaveError& error) {
            err << kProgram << ": cannot write " << shownOutput << ": " << error.reason() << ".\n";
            return kExitFileFailed;
        } catch (const std::exception& error) {
            err << kProgram << ": cannot compile " << shownFile << ": " << error.what() << '\n';
            return kExitFileFailed;
        }
    }
    if (settings.target == scriptgen::Target::Safe)
        for (const scriptgen::Problem& warning : scriptgen::WarnSafeScript(settings))
            err << shownFile << ": note: " << QString::fromStdString(TerminalText(warning)) << '\n';
    if (settings.useDatabase && !qEnvironmentVariableIsSet(qPrintable(Variable(scriptgen::Setting::Password))))
        err << kProgram << ": note: " << Variable(scriptgen::Setting::Password)
            << " is not set, so the script connects to MySQL with an empty password.\n";
    return kExitSuccess;
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments)
{
    CommandLine command;
    std::optional<CommandLine::Mode> task; // --compile or --check
    QString taskOption;
    bool options = true;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasNext = i + 1 < arguments.size();
        if (!options || !argument.startsWith(QLatin1Char('-')) || argument == kStandardOutput) {
            files.append(argument);
        } else if (argument == QStringLiteral("--")) {
            options = false;
        } else if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
            command.mode = CommandLine::Mode::Help;
            return command;
        } else if (argument == QStringLiteral("--version")) {
            command.mode = CommandLine::Mode::Version;
            return command;
        } else if (argument == QStringLiteral("--compile") || argument == QStringLiteral("--check")) {
            if (task)
                return Wrong(argument == taskOption ? QStringLiteral("%1 is given twice").arg(argument)
                                                    : QStringLiteral("--compile and --check do not go together"));
            task = argument == QStringLiteral("--compile") ? CommandLine::Mode::Compile : CommandLine::Mode::Check;
            taskOption = argument;
        } else if (argument == QStringLiteral("-o") || argument == QStringLiteral("--output")) {
            if (!hasNext)
                return Wrong(QStringLiteral("%1 needs the name of the script to write").arg(argument));
            if (!command.output.isEmpty())
                return Wrong(QStringLiteral("the script to write is given twice"));
            command.output = arguments[++i];
            if (command.output.isEmpty())
                return Wrong(QStringLiteral("the name of the script to write is empty"));
        } else {
            CommandLine wrong = Wrong(QStringLiteral("unknown option %1").arg(argument));
            wrong.toolkitOption = !argument.startsWith(QStringLiteral("--"));
            return wrong;
        }
    }
    if (task) {
        if (files.isEmpty())
            return Wrong(QStringLiteral("%1 needs the settings file to %2").arg(taskOption, taskOption.mid(2)));
        if (files.size() > 1)
            return Wrong(QStringLiteral("%1 takes one settings file, but %2 is given too").arg(taskOption, files[1]));
        if (*task == CommandLine::Mode::Compile && command.output.isEmpty())
            return Wrong(QStringLiteral("--compile needs -o and the name of the script to write"));
        if (*task == CommandLine::Mode::Check && !command.output.isEmpty())
            return Wrong(QStringLiteral("--check writes no script, so it takes no -o"));
        command.mode = *task;
        command.settingsFile = files.front();
        return command;
    }
    if (!command.output.isEmpty())
        return Wrong(QStringLiteral("-o writes the script of --compile, which is missing"));
    if (files.size() > 1)
        return Wrong(QStringLiteral("the window opens one settings file, but %1 are given").arg(files.size()));
    if (!files.isEmpty())
        command.settingsFile = files.front();
    return command;
}

bool WantsNoWindow(const QStringList& arguments)
{
    const CommandLine command = ParseCommandLine(arguments);
    return command.mode != CommandLine::Mode::Window && !command.toolkitOption;
}

int RunWithoutWindow(const CommandLine& command, QTextStream& out, QTextStream& err)
{
    switch (command.mode) {
    case CommandLine::Mode::Help:
        out << HelpText();
        return kExitSuccess;
    case CommandLine::Mode::Version:
        out << "Zestrel PHP Script Creator " << ZESTREL_VERSION << '\n';
        return kExitSuccess;
    case CommandLine::Mode::Compile:
    case CommandLine::Mode::Check:
        return CompileOrCheck(command, out, err);
    case CommandLine::Mode::Window:
        err << kProgram
            << ": this build has no window: compile a settings file with --compile, or check it with "
               "--check.\n";
        break;
    case CommandLine::Mode::Wrong:
        err << kProgram << ": " << command.wrong << ".\n";
        break;
    }
    err << "Try 'zestrel --help' for more information.\n";
    return kExitUsage;
}

} // namespace zestrel
