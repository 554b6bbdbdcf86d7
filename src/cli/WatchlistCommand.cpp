#include "cli/WatchlistCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "infra/Log.h"
#include "model/Preferences.h"

#include <cstdio>

WatchlistCommand::WatchlistCommand(Preferences& preferences) : m_preferences(preferences) {}

void WatchlistCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand({QStringLiteral("watchlist"),
                            QStringLiteral("watchlist [list | add SYMBOL... | remove SYMBOL...]"),
                            QStringLiteral("Show or change the watchlist symbols"),
                            CommandLine::AppKind::Core, [paths](const QStringList& arguments) {
                                Preferences preferences(paths.settingsFile());
                                return WatchlistCommand(preferences).run(arguments);
                            }});
}

int WatchlistCommand::run(const QStringList& arguments)
{
    const QString verb = arguments.isEmpty() ? QStringLiteral("list") : arguments.first();
    const QStringList symbols = arguments.mid(1);

    if (verb == QLatin1String("list")) {
        if (!symbols.isEmpty())
            return CommandLine::usageError(QStringLiteral("usage: zelvora watchlist list"));
        Log::useStandardError(true); // standard output holds only the symbols
        QStringList sorted(m_preferences.watchlistSymbols().cbegin(),
                           m_preferences.watchlistSymbols().cend());
        sorted.sort();
        for (const QString& symbol : sorted)
            CommandLine::printOut(symbol);
        return CommandLine::Success;
    }
    if (verb != QLatin1String("add") && verb != QLatin1String("remove"))
        return CommandLine::usageError(
            QStringLiteral("usage: zelvora watchlist [list | add SYMBOL... | remove SYMBOL...]"));
    if (symbols.isEmpty())
        return CommandLine::usageError(QStringLiteral("watchlist %1 needs at least one symbol").arg(verb));
    for (const QString& symbol : symbols) {
        if (symbol.trimmed().isEmpty())
            return CommandLine::usageError(QStringLiteral("a symbol cannot be empty"));
    }

    QSet<QString> watchlist = m_preferences.watchlistSymbols();
    for (const QString& symbol : symbols) {
        if (verb == QLatin1String("add"))
            watchlist.insert(symbol.trimmed());
        else if (!watchlist.remove(symbol.trimmed()))
            std::fprintf(stderr, "zelvora: %s was not on the watchlist\n",
                         symbol.trimmed().toUtf8().constData());
    }
    if (!m_preferences.setWatchlistSymbols(watchlist))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_preferences.store().path()));
    return CommandLine::Success;
}
