#pragma once

#include "model/AnnouncementCategory.h"
#include "model/Watchlist.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A trader's rule: which announcements it is about (symbols, watch words, categories, minus excluded
// words) and what to do with them. Every kind it names must hold, and within a kind any entry may; a
// rule that names no symbol, word or category matches nothing. The watchlist is the rule "Watchlist",
// where a symbol or a watch word is enough, as it always was.
class Rule
{
    Q_DECLARE_TR_FUNCTIONS(Rule)
public:
    enum class Action { Notify, Urgent, Silent };
    using Category = AnnouncementCategory::Kind;

    static inline const QString kWatchlistName = QStringLiteral("Watchlist");

    Rule() = default;
    Rule(QString name, const QStringList& symbols, const QStringList& words, QList<Category> categories,
         const QStringList& excludeWords, Action action = Action::Notify);
    static Rule watchlist(const Watchlist& watchlist);

    const QString& name() const { return m_name; }
    // The name as shown: the Watchlist rule's in the interface language.
    QString displayName() const;
    const QStringList& symbols() const { return m_symbols.symbols(); }
    const QStringList& words() const { return m_words.words(); }
    const QList<Category>& categories() const { return m_categories; }
    const QStringList& excludeWords() const { return m_excluded.words(); }
    Action action() const { return m_action; }
    bool isWatchlist() const { return m_anyKind; }
    bool namesAnything() const;

    // What made the announcement match, in the order symbol, word, category ("2222", "dividends"), or
    // nothing when it does not. `category` is the announcement's, given so it is classified once.
    std::optional<QStringList> match(const Announcement& announcement, Category category) const;

    static QString actionKey(Action action);
    static std::optional<Action> actionFromKey(const QString& key);
    static QString actionDisplayName(Action action);

    // {"name", "symbols", "words", "categories", "excludeWords", "action"}; absent or malformed lists read
    // as empty, an unknown category is skipped, an absent or unknown action is notify. No name: no rule.
    static std::optional<Rule> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;

    friend bool operator==(const Rule& a, const Rule& b);

private:
    QString m_name;
    Watchlist m_symbols;
    Watchlist m_words;
    QList<Category> m_categories;
    Watchlist m_excluded;
    Action m_action = Action::Notify;
    bool m_anyKind = false;
};
