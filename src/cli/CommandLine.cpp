#include "cli/CommandLine.h"

#include "infra/LogOutput.h"
#include "model/AppConstants.h"

#include <cstdio>

void CommandLine::addCommand(Command command)
{
    m_commands.push_back(std::move(command));
}

void CommandLine::setDefaultCommand(AppKind app, Handler handler)
{
    m_default.app = app;
    m_default.handler = std::move(handler);
}

void CommandLine::setGuiApplicationFactory(AppFactory factory)
{
    m_guiFactory = std::move(factory);
}

const CommandLine::Command* CommandLine::find(const QString& name) const
{
    for (const Command& command : m_commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QString CommandLine::helpText() const
{
    QString text = QStringLiteral("Usage: zelvora [COMMAND] [OPTIONS]\n\n"
                                  "Watches the Saudi Exchange for issuer announcements and market news.\n"
                                  "With no command, starts the tray program.\n\nCommands:\n");
    for (const Command& command : m_commands)
        text += QStringLiteral("  %1\n      %2\n").arg(command.synopsis, command.summary);
    text += QStringLiteral("\nOptions:\n"
                           "  --help       Show this help and exit\n"
                           "  --version    Show the version and exit\n\n"
                           "Exit status: 0 success, 1 failure, 2 usage error.");
    return text;
}

int CommandLine::usageError(const QString& message)
{
    std::fprintf(stderr, "zelvora: %s\n", message.toUtf8().constData());
    return UsageError;
}

int CommandLine::failure(const QString& message)
{
    std::fprintf(stderr, "zelvora: %s\n", message.toUtf8().constData());
    return Failure;
}

void CommandLine::printOut(const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

int CommandLine::runWithApp(const Command& command, int& argc, char** argv, const QStringList& arguments)
{
    const bool printsData = command.printsData && command.printsData(arguments);
    const LogOutput log(printsData ? stderr : stdout);
    std::unique_ptr<QCoreApplication> application;
    if (command.app == AppKind::Gui && m_guiFactory)
        application = m_guiFactory(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(AppConstants::appName);
    QCoreApplication::setApplicationVersion(AppConstants::appVersion);
    return command.handler(arguments);
}

int CommandLine::run(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    if (!arguments.isEmpty()) {
        const QString first = arguments.first();
        if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
            first == QLatin1String("help")) {
            printOut(helpText());
            return Success;
        }
        if (first == QLatin1String("--version")) {
            printOut(AppConstants::versionLine());
            return Success;
        }
        if (!first.startsWith(QLatin1Char('-'))) {
            const Command* command = find(first);
            if (!command)
                return usageError(QStringLiteral("unknown command '%1'. Try 'zelvora --help'.").arg(first));
            return runWithApp(*command, argc, argv, arguments.mid(1));
        }
    }
    if (!m_default.handler) {
        if (!arguments.isEmpty())
            return usageError(
                QStringLiteral("unknown option '%1'. Try 'zelvora --help'.").arg(arguments.first()));
        printOut(helpText());
        return Success;
    }
    return runWithApp(m_default, argc, argv, arguments);
}
