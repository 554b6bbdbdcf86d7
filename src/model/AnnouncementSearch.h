#pragma once

#include "model/Announcement.h"
#include "model/AnnouncementCategory.h"
#include "model/Watchlist.h"

#include <QList>
#include <QString>
#include <functional>

// Finds announcements as the user types: each word of the query must occur in the title, the
// description text, a symbol or a company's name, compared in SearchText's folded form. The texts
// are folded once when the list is given, so each keystroke only scans prepared text.
class AnnouncementSearch
{
public:
    using CompanyNames = std::function<QString(const QString& symbol)>;

    AnnouncementSearch() = default;
    AnnouncementSearch(const AnnouncementList& announcements, const CompanyNames& companyNames,
                       const Watchlist& watchlist);

    // The matching announcements in list order; an empty query matches all.
    AnnouncementList filter(const QString& query, bool watchlistOnly,
                            std::optional<AnnouncementCategory::Kind> category = std::nullopt) const;

    // What a query's words are looked for in, folded: title, text, symbols and company names.
    static QString searchableText(const Announcement& announcement, const CompanyNames& companyNames);
    // The query's words, folded; each must occur in the searchable text.
    static QStringList terms(const QString& query);

private:
    struct Entry
    {
        QString folded;
        bool onWatchlist = false;
        AnnouncementCategory::Kind category = AnnouncementCategory::Kind::Other;
    };
    AnnouncementList m_announcements;
    QList<Entry> m_entries;
};
