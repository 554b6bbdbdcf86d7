#include "model/RuleSet.h"

RuleSet::RuleSet(const Watchlist& watchlist, const QList<Rule>& rules, bool showAll)
{
    m_rules.append(Rule::watchlist(watchlist));
    m_rules.append(rules);
    for (const Rule& rule : std::as_const(m_rules)) {
        m_needsCategory = m_needsCategory || !rule.categories().isEmpty();
        if (rule.action() != Rule::Action::Silent && rule.namesAnything())
            m_filters = !showAll;
    }
}

std::optional<RuleSet::Match> RuleSet::firstMatch(const Announcement& announcement) const
{
    // Classified only when a rule asks for a category.
    const auto category =
        m_needsCategory ? AnnouncementCategory::of(announcement) : AnnouncementCategory::Kind::Other;
    for (const Rule& rule : m_rules) {
        if (auto matched = rule.match(announcement, category))
            return Match{rule.name(), rule.displayName(), rule.action(), std::move(*matched)};
    }
    return std::nullopt;
}

RuleSet::Decision RuleSet::decide(const Announcement& announcement) const
{
    Decision decision;
    decision.match = firstMatch(announcement);
    const auto action = decision.match ? std::optional(decision.match->action) : std::nullopt;
    decision.notify = action ? *action != Rule::Action::Silent : !m_filters;
    decision.urgent = action == Rule::Action::Urgent;
    return decision;
}

QString RuleSet::matchLine(const Match& match)
{
    return QStringLiteral("\u2B50 %1: %2")
        .arg(match.displayName, match.matched.join(QStringLiteral(" \u00B7 ")));
}
