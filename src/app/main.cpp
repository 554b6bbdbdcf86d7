#include "app/SimulatedDemoPortal.h"
#include "cli/CommandLine.h"
#include "cli/CoreCommands.h"
#include "cli/DemoMode.h"
#include "fetch/PortalOrigin.h"
#include "platform/HeapTrim.h"
#include "shell/GuiCommands.h"

int main(int argc, char** argv)
{
    HeapTrim::limitArenas();
    // Everything the commands build on; each command makes its own services from it.
    const SystemClock clock;
    const AppEnvironment environment{AppPaths::fromEnvironment(), PortalOrigin::fromEnvironment(), &clock,
                                     [] { return std::make_unique<SimulatedDemoPortal>(); },
                                     qEnvironmentVariable(DemoMode::kHomeVariable)};
    CommandLine commandLine;
    CoreCommands::registerAll(commandLine, environment);
    GuiCommands::registerAll(commandLine, environment);
    return commandLine.run(argc, argv);
}
