#include "cli/CoreCommands.h"

#include "cli/AutostartCommand.h"
#include "cli/DefaultsCommand.h"
#include "cli/FeedCommands.h"
#include "cli/NotificationsCommand.h"
#include "cli/StatusCommand.h"
#include "cli/WatchlistCommand.h"

void CoreCommands::registerAll(CommandLine& commandLine, const DemoPortalFactory& demoPortal)
{
    DefaultsCommand::registerIn(commandLine);
    WatchlistCommand::registerIn(commandLine);
    FeedCommands::registerIn(commandLine, demoPortal);
    NotificationsCommand::registerIn(commandLine);
    AutostartCommand::registerIn(commandLine);
    StatusCommand::registerIn(commandLine);
}
