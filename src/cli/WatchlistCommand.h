#pragma once

#include <QStringList>

class AppPaths;
class CommandLine;
class Preferences;

// `zelvora watchlist [list|add SYMBOL...|remove SYMBOL...]`: a front for the watchlistSymbols setting.
class WatchlistCommand
{
public:
    explicit WatchlistCommand(Preferences& preferences);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments);

private:
    Preferences& m_preferences;
};
