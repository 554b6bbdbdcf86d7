#pragma once

#include <QCommandLineParser>

class AppPaths;
class CommandLine;
class Preferences;

// `zelvora rules [list | add NAME [--symbol S]… [--word W]… [--category C]… [--exclude-word W]…
// [--action notify|urgent|silent] | remove NAME]`: a front for the `rules` setting. The Watchlist is
// listed first and changed with `zelvora watchlist`.
class RulesCommand
{
public:
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    static int run(Preferences& preferences, const QCommandLineParser& parsed);
};
