#pragma once

#include "infra/Instant.h"

#include <QList>
#include <QLocale>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>

// One issuer announcement or market-news item. Identity is `id`; equality covers all six fields.
class Announcement
{
public:
    Announcement() = default;
    Announcement(QString id, QString title, QString description, QString link, Instant pubDate,
                 QStringList companies);

    const QString& id() const { return m_id; }
    const QString& title() const { return m_title; }
    const QString& description() const { return m_description; }
    const QString& link() const { return m_link; }
    Instant pubDate() const { return m_pubDate; }
    const QStringList& companies() const { return m_companies; }
    void setCompanies(QStringList companies) { m_companies = std::move(companies); }

    bool isArabic() const;
    Qt::LayoutDirection textDirection() const;
    Qt::Alignment textAlignment() const;
    bool matchesWatchlist(const QSet<QString>& symbols) const;

    // Short time stamp in Riyadh time: "2:05 PM", "Yesterday 9:30 AM" or "Mar 4, 11:00 AM".
    QString displayDate() const;
    QString displayDate(Instant now, const QLocale& locale) const;
    // The description without markup, with six character references decoded, trimmed.
    QString strippedDescription() const;
    // The title as people read it: markup removed as in the description, numeric character
    // references decoded too, the riyal sign as "SAR", on one line. Identity, cache and JSON output keep
    // title().
    QString displayTitle() const;

    friend bool operator==(const Announcement& a, const Announcement& b);

private:
    QString m_id;
    QString m_title;
    QString m_description;
    QString m_link;
    Instant m_pubDate;
    QStringList m_companies;
};

size_t qHash(const Announcement& announcement, size_t seed = 0);

using AnnouncementList = QList<Announcement>;

Q_DECLARE_METATYPE(Announcement)
