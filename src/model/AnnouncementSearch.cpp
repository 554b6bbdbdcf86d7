#include "model/AnnouncementSearch.h"

#include "model/SearchText.h"

AnnouncementSearch::AnnouncementSearch(const AnnouncementList& announcements,
                                       const CompanyNames& companyNames, const Watchlist& watchlist)
    : m_announcements(announcements)
{
    m_entries.reserve(announcements.size());
    for (const Announcement& announcement : announcements)
        m_entries.append({searchableText(announcement, companyNames), watchlist.matches(announcement),
                          AnnouncementCategory::of(announcement)});
}

QString AnnouncementSearch::searchableText(const Announcement& announcement, const CompanyNames& companyNames)
{
    QString text = announcement.displayTitle() + QLatin1Char('\n') + announcement.strippedDescription();
    for (const QString& symbol : announcement.companies()) {
        text += QLatin1Char('\n') + symbol;
        if (companyNames)
            text += QLatin1Char('\n') + companyNames(symbol);
    }
    return SearchText::fold(text);
}

QStringList AnnouncementSearch::terms(const QString& query)
{
    return SearchText::fold(query).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

AnnouncementList AnnouncementSearch::filter(const QString& query, bool watchlistOnly,
                                            std::optional<AnnouncementCategory::Kind> category) const
{
    const QStringList terms = AnnouncementSearch::terms(query);
    AnnouncementList found;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries.at(i);
        if ((watchlistOnly && !entry.onWatchlist) || (category && entry.category != *category))
            continue;
        const bool all = std::all_of(terms.cbegin(), terms.cend(),
                                     [&entry](const QString& term) { return entry.folded.contains(term); });
        if (all)
            found.append(m_announcements.at(i));
    }
    return found;
}
