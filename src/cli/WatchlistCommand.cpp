#include "cli/WatchlistCommand.h"

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "fetch/IssuerDirectory.h"
#include "infra/AppPaths.h"
#include "model/Preferences.h"
#include "model/SearchText.h"

#include <cstdio>

namespace {
const QString kUsage = QStringLiteral(
    "usage: zelvora watchlist [list | add SYMBOL... | remove SYMBOL... | add-word WORD | remove-word WORD]");
}

WatchlistCommand::WatchlistCommand(Preferences& preferences, QString cacheDirectory)
    : m_preferences(preferences), m_cacheDirectory(std::move(cacheDirectory))
{
}

void WatchlistCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand(
        {QStringLiteral("watchlist"),
         QStringLiteral("watchlist [list | add SYMBOL... | remove SYMBOL... | add-word WORD | "
                        "remove-word WORD]"),
         QStringLiteral("Show or change the watchlist symbols and watch words"),
         CommandLine::AppKind::Core,
         {},
         [paths](const QCommandLineParser& parsed) {
             Preferences preferences(paths.settingsFile());
             return WatchlistCommand(preferences, paths.cacheDirectory()).run(parsed.positionalArguments());
         },
         [](const QCommandLineParser& parsed) {
             const QStringList arguments = parsed.positionalArguments();
             return arguments.isEmpty() || arguments.first() == QLatin1String("list");
         }});
}

int WatchlistCommand::list() const
{
    const Watchlist watchlist = m_preferences.watchlist();
    const IssuerDirectory issuers(m_cacheDirectory);
    for (const QString& symbol : watchlist.symbols()) {
        const QString name = issuers.displayName(symbol);
        CommandLine::printOut(name.isEmpty() ? symbol : symbol + QStringLiteral("  ") + name);
    }
    for (const QString& word : watchlist.words())
        CommandLine::printOut(QStringLiteral("word: ") + word);
    return CommandLine::Success;
}

int WatchlistCommand::changeWord(const QString& verb, const QStringList& words)
{
    // One word (or phrase) per call: "rights issue" is one watch word, not two.
    if (words.size() != 1)
        return CommandLine::usageError(
            QStringLiteral("watchlist %1 takes one word (quote a phrase)").arg(verb));
    const QString word = words.first().simplified();
    const QString folded = SearchText::fold(word);
    if (folded.isEmpty())
        return CommandLine::usageError(QStringLiteral("a watch word cannot be empty"));
    const bool adding = verb == QLatin1String("add-word");
    if (adding && !Watchlist::isUsableWord(word))
        return CommandLine::usageError(
            QStringLiteral("a watch word needs at least %1 letters").arg(Watchlist::kMinWordLetters));
    const auto sameWord = [&folded](const QString& other) {
        return SearchText::fold(other.simplified()) == folded;
    };
    bool present = false;
    const bool written = m_preferences.changeWatchWords([&](QStringList& stored) {
        present = std::any_of(stored.cbegin(), stored.cend(), sameWord);
        if (adding && !present)
            stored.append(word);
        else if (!adding)
            stored.removeIf(sameWord);
    });
    if (!written)
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_preferences.filePath()));
    if (!adding && !present)
        std::fprintf(stderr, "zelvora: %s was not a watch word\n",
                     TerminalText::clean(word).toUtf8().constData());
    return CommandLine::Success;
}

int WatchlistCommand::run(const QStringList& arguments)
{
    const QString verb = arguments.isEmpty() ? QStringLiteral("list") : arguments.first();
    const QStringList symbols = arguments.mid(1);

    if (verb == QLatin1String("list")) {
        if (!symbols.isEmpty())
            return CommandLine::usageError(QStringLiteral("usage: zelvora watchlist list"));
        return list();
    }
    if (verb == QLatin1String("add-word") || verb == QLatin1String("remove-word"))
        return changeWord(verb, symbols);
    if (verb != QLatin1String("add") && verb != QLatin1String("remove"))
        return CommandLine::usageError(kUsage);
    if (symbols.isEmpty())
        return CommandLine::usageError(QStringLiteral("watchlist %1 needs at least one symbol").arg(verb));
    for (const QString& symbol : symbols) {
        if (symbol.trimmed().isEmpty())
            return CommandLine::usageError(QStringLiteral("a symbol cannot be empty"));
    }

    QStringList missing;
    const bool written = m_preferences.changeWatchlistSymbols([&](QSet<QString>& watchlist) {
        missing.clear();
        for (const QString& symbol : symbols) {
            if (verb == QLatin1String("add"))
                watchlist.insert(symbol.trimmed());
            else if (!watchlist.remove(symbol.trimmed()))
                missing.append(symbol.trimmed());
        }
    });
    if (!written)
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_preferences.filePath()));
    for (const QString& symbol : std::as_const(missing))
        std::fprintf(stderr, "zelvora: %s was not on the watchlist\n",
                     TerminalText::clean(symbol).toUtf8().constData());
    return CommandLine::Success;
}
