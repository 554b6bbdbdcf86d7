#include "model/Rule.h"

#include "model/Preferences.h"

#include <QJsonArray>

namespace {
QSet<QString> asSet(const QStringList& list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

QStringList stringList(const QJsonValue& value)
{
    return Preferences::readStringArray(value).value_or(QStringList());
}

QJsonArray jsonArray(const QStringList& list)
{
    return QJsonArray::fromStringList(list);
}

const QStringList& actionKeys()
{
    static const QStringList keys{QStringLiteral("notify"), QStringLiteral("urgent"),
                                  QStringLiteral("silent")};
    return keys;
}
} // namespace

Rule::Rule(QString name, const QStringList& symbols, const QStringList& words, QList<Category> categories,
           const QStringList& excludeWords, Action action)
    : m_name(std::move(name).trimmed()), m_symbols(asSet(symbols), {}), m_words({}, words),
      m_categories(std::move(categories)), m_excluded({}, excludeWords), m_action(action)
{
}

Rule Rule::watchlist(const Watchlist& watchlist)
{
    Rule rule(kWatchlistName, watchlist.symbols(), watchlist.words(), {}, {});
    rule.m_anyKind = true;
    return rule;
}

QString Rule::displayName() const
{
    return m_anyKind ? tr("Watchlist") : m_name;
}

bool Rule::namesAnything() const
{
    return !m_symbols.isEmpty() || !m_words.isEmpty() || !m_categories.isEmpty();
}

std::optional<QStringList> Rule::match(const Announcement& announcement, Category category) const
{
    if (!namesAnything())
        return std::nullopt;
    const QString symbol = m_symbols.matchFor(announcement);
    if (m_anyKind) {
        const QString either = symbol.isEmpty() ? m_words.matchFor(announcement) : symbol;
        return either.isEmpty() ? std::nullopt : std::optional<QStringList>(QStringList{either});
    }
    QStringList matched;
    if (!m_symbols.isEmpty()) {
        if (symbol.isEmpty())
            return std::nullopt;
        matched.append(symbol);
    }
    if (!m_words.isEmpty()) {
        const QString word = m_words.matchFor(announcement);
        if (word.isEmpty())
            return std::nullopt;
        matched.append(word);
    }
    if (!m_categories.isEmpty()) {
        if (!m_categories.contains(category))
            return std::nullopt;
        matched.append(AnnouncementCategory::inlineName(category));
    }
    if (m_excluded.matches(announcement))
        return std::nullopt;
    return matched;
}

QString Rule::actionKey(Action action)
{
    return actionKeys().at(int(action));
}

std::optional<Rule::Action> Rule::actionFromKey(const QString& key)
{
    const qsizetype index = actionKeys().indexOf(key.trimmed().toLower());
    if (index < 0)
        return std::nullopt;
    return Action(index);
}

QString Rule::actionDisplayName(Action action)
{
    switch (action) {
    case Action::Urgent:
        return tr("Notify and keep on screen");
    case Action::Silent:
        return tr("Keep silent");
    case Action::Notify:
        break;
    }
    return tr("Notify");
}

std::optional<Rule> Rule::fromJson(const QJsonObject& object)
{
    const QString name = object.value(QLatin1String("name")).toString().trimmed();
    if (name.isEmpty())
        return std::nullopt;
    QList<Category> categories;
    for (const QString& key : stringList(object.value(QLatin1String("categories")))) {
        const auto category = AnnouncementCategory::fromKey(key);
        if (category && !categories.contains(*category))
            categories.append(*category);
    }
    const Action action =
        actionFromKey(object.value(QLatin1String("action")).toString()).value_or(Action::Notify);
    return Rule(name, stringList(object.value(QLatin1String("symbols"))),
                stringList(object.value(QLatin1String("words"))), categories,
                stringList(object.value(QLatin1String("excludeWords"))), action);
}

QJsonObject Rule::toJson() const
{
    QStringList categoryKeys;
    for (const Category category : m_categories)
        categoryKeys.append(AnnouncementCategory::key(category));
    return {{QStringLiteral("name"), m_name},
            {QStringLiteral("symbols"), jsonArray(symbols())},
            {QStringLiteral("words"), jsonArray(words())},
            {QStringLiteral("categories"), jsonArray(categoryKeys)},
            {QStringLiteral("excludeWords"), jsonArray(excludeWords())},
            {QStringLiteral("action"), actionKey(m_action)}};
}

bool operator==(const Rule& a, const Rule& b)
{
    return a.m_name == b.m_name && a.symbols() == b.symbols() && a.words() == b.words() &&
           a.m_categories == b.m_categories && a.excludeWords() == b.excludeWords() &&
           a.m_action == b.m_action && a.m_anyKind == b.m_anyKind;
}
