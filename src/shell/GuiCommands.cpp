#include "shell/GuiCommands.h"

#include "cli/CommandLine.h"
#include "shell/ShowCommand.h"

#include <QApplication>

void GuiCommands::registerAll(CommandLine& commandLine)
{
    commandLine.setGuiApplicationFactory([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<QApplication>(argc, argv);
    });
    ShowCommand::registerIn(commandLine);
}
