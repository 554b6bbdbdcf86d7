#pragma once

#include "model/Rule.h"

#include <QList>
#include <optional>

// The rules in the order they are checked: the Watchlist first, then the user's rules. The first rule
// an announcement matches decides what happens to it.
class RuleSet
{
public:
    struct Match
    {
        QString rule;        // its name as stored ("Watchlist" for the watchlist)
        QString displayName; // as shown
        Rule::Action action = Rule::Action::Notify;
        QStringList matched; // what held: symbol, word, category
    };
    struct Decision
    {
        std::optional<Match> match;
        bool notify = false;
        bool urgent = false;
    };

    RuleSet() = default;
    // `showAll`: every announcement is notified unless its first matching rule is silent.
    RuleSet(const Watchlist& watchlist, const QList<Rule>& rules, bool showAll);

    const QList<Rule>& rules() const { return m_rules; } // the Watchlist first

    std::optional<Match> firstMatch(const Announcement& announcement) const;
    // Without show-all, and when the Watchlist or a notify or urgent rule names something, only the
    // announcements whose first matching rule notifies are notified; otherwise all but the silenced.
    Decision decide(const Announcement& announcement) const;

    // A notification's first line: "⭐ Watchlist: 2222", "⭐ divs: 2222 · dividends".
    static QString matchLine(const Match& match);

private:
    QList<Rule> m_rules;
    bool m_filters = false;
    bool m_needsCategory = false;
};
