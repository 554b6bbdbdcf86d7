#pragma once

#include <QString>
#include <QStringList>

class AppPaths;
class CommandLine;
class Preferences;

// `zelvora watchlist [list | add SYMBOL... | remove SYMBOL... | add-word WORD | remove-word WORD]`:
// a front for the watchlistSymbols and watchWords settings, showing company names from the issuer
// directory kept in `cacheDirectory`.
class WatchlistCommand
{
public:
    WatchlistCommand(Preferences& preferences, QString cacheDirectory);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments);

private:
    int list() const;
    int changeWord(const QString& verb, const QStringList& words);

    Preferences& m_preferences;
    QString m_cacheDirectory;
};
