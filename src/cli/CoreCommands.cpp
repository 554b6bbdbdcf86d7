#include "cli/CoreCommands.h"

#include "cli/AutostartCommand.h"
#include "cli/DefaultsCommand.h"
#include "cli/FeedCommands.h"
#include "cli/HistoryCommands.h"
#include "cli/FeedFileCommand.h"
#include "cli/NotificationsCommand.h"
#include "cli/ServiceCommand.h"
#include "cli/OutputsCommand.h"
#include "cli/RulesCommand.h"
#include "cli/ShowCommand.h"
#include "cli/StatusCommand.h"
#include "cli/WatchlistCommand.h"

void CoreCommands::registerAll(CommandLine& commandLine, const AppEnvironment& environment)
{
    DefaultsCommand::registerIn(commandLine, environment.paths);
    WatchlistCommand::registerIn(commandLine, environment.paths);
    RulesCommand::registerIn(commandLine, environment.paths);
    FeedCommands::registerIn(commandLine, environment);
    NotificationsCommand::registerIn(commandLine, environment);
    AutostartCommand::registerIn(commandLine, environment.paths);
    StatusCommand::registerIn(commandLine, environment.paths);
    ShowCommand::registerIn(commandLine, environment);
    HistoryCommands::registerIn(commandLine, environment);
    FeedFileCommand::registerIn(commandLine, environment.paths);
    ServiceCommand::registerIn(commandLine);
    OutputsCommand::registerIn(commandLine, environment);
}
