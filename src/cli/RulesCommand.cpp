#include "cli/RulesCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "model/Preferences.h"

#include <cstdio>

namespace {
const QString kSymbol = QStringLiteral("symbol");
const QString kWord = QStringLiteral("word");
const QString kCategory = QStringLiteral("category");
const QString kExcludeWord = QStringLiteral("exclude-word");
const QString kAction = QStringLiteral("action");
const QString kUsage = QStringLiteral("usage: zelvora rules [list | add NAME [--symbol S]... [--word W]... "
                                      "[--category C]... [--exclude-word W]... [--action A] | remove NAME]");

// "divs  urgent  symbols: 2222  categories: dividends"
QString describe(const Rule& rule)
{
    QString line = rule.name() + QStringLiteral("  ") + Rule::actionKey(rule.action());
    const auto part = [&line](const char* label, const QStringList& values) {
        if (!values.isEmpty())
            line += QStringLiteral("  %1: %2").arg(QLatin1String(label), values.join(QStringLiteral(", ")));
    };
    QStringList categories;
    for (const Rule::Category category : rule.categories())
        categories.append(AnnouncementCategory::key(category));
    part("symbols", rule.symbols());
    part("words", rule.words());
    part("categories", categories);
    part("exclude", rule.excludeWords());
    return line;
}

int add(Preferences& preferences, const QString& name, const QCommandLineParser& parsed)
{
    QList<Rule::Category> categories;
    for (const QString& key : parsed.values(kCategory)) {
        const auto category = AnnouncementCategory::fromKey(key);
        if (!category)
            return CommandLine::usageError(
                QStringLiteral("unknown category '%1' (one of %2)")
                    .arg(key, AnnouncementCategory::keys().join(QStringLiteral(", "))));
        categories.append(*category);
    }
    Rule::Action action = Rule::Action::Notify;
    if (parsed.isSet(kAction)) {
        const auto chosen = Rule::actionFromKey(parsed.value(kAction));
        if (!chosen)
            return CommandLine::usageError(
                QStringLiteral("unknown action '%1' (notify, urgent or silent)").arg(parsed.value(kAction)));
        action = *chosen;
    }
    const Rule rule(name, parsed.values(kSymbol), parsed.values(kWord), categories,
                    parsed.values(kExcludeWord), action);
    if (!rule.namesAnything())
        return CommandLine::usageError(
            QStringLiteral("a rule needs at least one --symbol, --word or --category"));
    // A rule of the same name is replaced where it stands, so its place in the order is kept.
    QList<Rule> rules = preferences.rules();
    const auto same =
        std::find_if(rules.begin(), rules.end(), [&name](const Rule& r) { return r.name() == name; });
    if (same != rules.end())
        *same = rule;
    else
        rules.append(rule);
    if (!preferences.setRules(rules))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(preferences.filePath()));
    return CommandLine::Success;
}

int remove(Preferences& preferences, const QString& name)
{
    QList<Rule> rules = preferences.rules();
    if (rules.removeIf([&name](const Rule& rule) { return rule.name() == name; }) == 0) {
        std::fprintf(stderr, "zelvora: there was no rule named %s\n", name.toUtf8().constData());
        return CommandLine::Success;
    }
    if (!preferences.setRules(rules))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(preferences.filePath()));
    return CommandLine::Success;
}
} // namespace

void RulesCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    const auto repeated = [](const QString& name, const char* description, const char* value) {
        return QCommandLineOption(name, QString::fromLatin1(description), QString::fromLatin1(value));
    };
    commandLine.addCommand(
        {QStringLiteral("rules"),
         QStringLiteral("rules [list | add NAME [--symbol S]... [--word W]... [--category C]... "
                        "[--exclude-word W]... [--action notify|urgent|silent] | remove NAME]"),
         QStringLiteral("Show or change the notification rules (the Watchlist first; change it with "
                        "`zelvora watchlist`)"),
         CommandLine::AppKind::Core,
         {repeated(kSymbol, "A company symbol the rule is about (repeatable)", "S"),
          repeated(kWord, "A watch word the text must hold (repeatable)", "W"),
          repeated(kCategory,
                   "A category: trading, assembly, dividends, capital, results, board, contracts, "
                   "exchange or other (repeatable)",
                   "C"),
          repeated(kExcludeWord, "A word the text must not hold (repeatable)", "W"),
          repeated(kAction, "notify (the default), urgent or silent", "A")},
         [paths](const QCommandLineParser& parsed) {
             Preferences preferences(paths.settingsFile());
             return run(preferences, parsed);
         },
         [](const QCommandLineParser& parsed) {
             const QStringList arguments = parsed.positionalArguments();
             return arguments.isEmpty() || arguments.first() == QLatin1String("list");
         }});
}

int RulesCommand::run(Preferences& preferences, const QCommandLineParser& parsed)
{
    const QStringList arguments = parsed.positionalArguments();
    const QString verb = arguments.value(0, QStringLiteral("list"));
    const bool ruleOptions = parsed.isSet(kSymbol) || parsed.isSet(kWord) || parsed.isSet(kCategory) ||
                             parsed.isSet(kExcludeWord) || parsed.isSet(kAction);
    if (verb == QLatin1String("list") && arguments.size() <= 1 && !ruleOptions) {
        const RuleSet rules = preferences.ruleSet();
        for (const Rule& rule : rules.rules())
            CommandLine::printOut(describe(rule));
        return CommandLine::Success;
    }
    if ((verb != QLatin1String("add") && verb != QLatin1String("remove")) || arguments.size() != 2)
        return CommandLine::usageError(kUsage);
    const QString name = arguments.at(1).trimmed();
    if (name.isEmpty())
        return CommandLine::usageError(QStringLiteral("a rule needs a name"));
    if (name.compare(Rule::kWatchlistName, Qt::CaseInsensitive) == 0)
        return CommandLine::usageError(QStringLiteral("the Watchlist is changed with `zelvora watchlist`"));
    if (verb == QLatin1String("remove")) {
        if (ruleOptions)
            return CommandLine::usageError(kUsage);
        return remove(preferences, name);
    }
    return add(preferences, name, parsed);
}
