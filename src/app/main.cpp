#include "app/GuiCommands.h"
#include "app/SimulatedDemoPortal.h"
#include "cli/CommandLine.h"
#include "cli/CoreCommands.h"
#include "platform/HeapTrim.h"

// The one place that reads the environment: every command builds on what is read here.
int main(int argc, char** argv)
{
    HeapTrim::limitArenas();
    const SystemClock clock;
    const AppEnvironment environment =
        AppEnvironment::fromSystem(clock, [] { return std::make_unique<SimulatedDemoPortal>(); });
    CommandLine commandLine;
    CoreCommands::registerAll(commandLine, environment);
    GuiCommands::registerAll(commandLine, environment);
    return commandLine.run(argc, argv);
}
