#include "cli/CommandLine.h"

#include "cli/TerminalText.h"
#include "infra/LogOutput.h"
#include "model/AppConstants.h"

#include <cstdio>

namespace {
QCommandLineOption helpOption()
{
    return {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit")};
}
} // namespace

void CommandLine::addCommand(Command command)
{
    m_commands.push_back(std::move(command));
}

void CommandLine::setDefaultCommand(AppKind app, QList<QCommandLineOption> options, Handler handler)
{
    m_default.app = app;
    m_default.options = std::move(options);
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
                           "'zelvora COMMAND --help' shows a command's options.\n\n"
                           "Exit status: 0 success, 1 failure, 2 usage error.");
    return text;
}

int CommandLine::usageError(const QString& message)
{
    std::fprintf(stderr, "zelvora: %s\n", TerminalText::clean(message).toUtf8().constData());
    return UsageError;
}

int CommandLine::failure(const QString& message)
{
    std::fprintf(stderr, "zelvora: %s\n", TerminalText::clean(message).toUtf8().constData());
    return Failure;
}

void CommandLine::printOut(const QString& text)
{
    // Whatever a command prints may hold portal texts (titles, learned company names).
    const QByteArray bytes = (TerminalText::cleanLines(text) + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

QString CommandLine::helpText(const Command& command)
{
    QString text =
        QStringLiteral("Usage: zelvora %1\n\n%2.\n\nOptions:\n").arg(command.synopsis, command.summary);
    const QString dashes = command.singleDashWords ? QStringLiteral("-") : QStringLiteral("--");
    for (const QCommandLineOption& option : command.options) {
        QString names = dashes + option.names().join(QStringLiteral(", ") + dashes);
        if (!option.valueName().isEmpty())
            names += QLatin1Char(' ') + option.valueName();
        text += QStringLiteral("  %1  %2\n").arg(names, -18).arg(option.description());
    }
    text += QStringLiteral("  %1  %2\n\nExit status: 0 success, 1 failure, 2 usage error.")
                .arg(QStringLiteral("-h, --help"), -18)
                .arg(helpOption().description());
    return text;
}

int CommandLine::runCommand(const Command& command, int& argc, char** argv, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(command.singleDashWords
                                           ? QCommandLineParser::ParseAsLongOptions
                                           : QCommandLineParser::ParseAsCompactedShortOptions);
    parser.addOptions(command.options);
    parser.addOption(helpOption());
    const QString name = command.name.isEmpty() ? QString() : QLatin1Char(' ') + command.name;
    // The parser takes the first argument as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("zelvora")} + arguments))
        return usageError(QStringLiteral("%1 Try 'zelvora%2 --help'.").arg(parser.errorText(), name));
    if (parser.isSet(QStringLiteral("help"))) {
        printOut(command.name.isEmpty() ? helpText() : helpText(command));
        return Success;
    }

    const LogOutput log(command.printsData && command.printsData(parser) ? stderr : stdout);
    std::unique_ptr<QCoreApplication> application;
    if (command.app == AppKind::Gui && m_guiFactory)
        application = m_guiFactory(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(AppConstants::appName);
    QCoreApplication::setApplicationVersion(AppConstants::appVersion);
    return command.handler(parser);
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
            return runCommand(*command, argc, argv, arguments.mid(1));
        }
    }
    if (!m_default.handler) {
        if (!arguments.isEmpty())
            return usageError(
                QStringLiteral("unknown option '%1'. Try 'zelvora --help'.").arg(arguments.first()));
        printOut(helpText());
        return Success;
    }
    return runCommand(m_default, argc, argv, arguments);
}
