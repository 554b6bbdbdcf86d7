#include "app/GuiCommands.h"

#include "cli/CommandLine.h"
#include "context/Startup.h"
#include "shell/TrayLauncher.h"

#include <QApplication>

void GuiCommands::registerAll(CommandLine& commandLine, const AppEnvironment& environment)
{
    const bool display = environment.displayAvailable;
    commandLine.setGuiApplicationFactory(
        [display](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
            // Without a display QApplication would abort; the tray program then explains what to do.
            if (!display)
                return std::make_unique<QCoreApplication>(argc, argv);
            return std::make_unique<QApplication>(argc, argv);
        });
    commandLine.setDefaultCommand(
        CommandLine::AppKind::Gui, Startup::options(), [environment](const QCommandLineParser& parsed) {
            if (!parsed.positionalArguments().isEmpty())
                return CommandLine::usageError(
                    QStringLiteral("unexpected argument '%1'. Try 'zelvora --help'.")
                        .arg(parsed.positionalArguments().first()));
            if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
                return CommandLine::failure(
                    QStringLiteral("no display available: the tray program needs a graphical session. "
                                   "Use 'zelvora watch' to watch the exchange from a terminal."));
            Startup startup(environment);
            if (const auto failure = startup.open(parsed, QStringLiteral("tray")))
                return failure->usage ? CommandLine::usageError(failure->message)
                                      : CommandLine::failure(failure->message);
            if (const QString banner = startup.demoBanner(); !banner.isEmpty())
                CommandLine::printOut(banner);
            startup.keepWatching();
            return TrayLauncher::run(startup);
        });
}
