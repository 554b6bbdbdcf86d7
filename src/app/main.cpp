#include "cli/CommandLine.h"
#include "cli/CoreCommands.h"
#include "shell/GuiCommands.h"

int main(int argc, char** argv)
{
    CommandLine commandLine;
    CoreCommands::registerAll(commandLine);
    GuiCommands::registerAll(commandLine);
    return commandLine.run(argc, argv);
}
