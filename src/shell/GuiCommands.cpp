#include "shell/GuiCommands.h"

#include "cli/CommandLine.h"
#include "cli/PortalOptions.h"
#include "shell/TrayProgram.h"

#include <QApplication>

void GuiCommands::registerAll(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.setGuiApplicationFactory([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        // Without a display QApplication would abort; the tray program then explains what to do.
        if (!TrayProgram::displayAvailable())
            return std::make_unique<QCoreApplication>(argc, argv);
        return std::make_unique<QApplication>(argc, argv);
    });
    commandLine.setDefaultCommand(
        CommandLine::AppKind::Gui, PortalOptions::options(),
        [environment](const QCommandLineParser& parsed) { return TrayProgram::run(parsed, environment); });
}
