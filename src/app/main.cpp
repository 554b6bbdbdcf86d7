#include "app/SimulatedDemoPortal.h"
#include "cli/CommandLine.h"
#include "cli/CoreCommands.h"
#include "shell/GuiCommands.h"

int main(int argc, char** argv)
{
    const DemoPortalFactory demoPortal = [] { return std::make_unique<SimulatedDemoPortal>(); };
    CommandLine commandLine;
    CoreCommands::registerAll(commandLine, demoPortal);
    GuiCommands::registerAll(commandLine, demoPortal);
    return commandLine.run(argc, argv);
}
