#pragma once

#include "infra/Instant.h"

#include <QList>
#include <QLocale>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <atomic>

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

    // Short time stamp in Riyadh time (DisplayTime::announcement): "2:05 PM", "Yesterday 9:30 AM"
    // or "Mar 4, 11:00 AM", with " Riyadh time" on a machine on another clock.
    QString displayDate() const;
    QString displayDate(Instant now, const QLocale& locale,
                        const QTimeZone& system = QTimeZone::systemTimeZone()) const;
    // The description without its HTML elements (text in other angle brackets stays), with the
    // common and the numeric character references decoded, trimmed.
    QString strippedDescription() const;
    // The title as people read it: markup removed and references decoded as in the description, the riyal
    // sign as "SAR", on one line. Identity, cache and JSON output keep title().
    QString displayTitle() const;

    friend bool operator==(const Announcement& a, const Announcement& b);

private:
    friend class AnnouncementCategory;
    // A value worked out from the texts on first use and kept with them, so that the menu, the list,
    // the rules and the outputs do not classify one record again and again. Copies keep it and
    // equality ignores it; atomic because one implicitly shared list may be read on two threads.
    struct DerivedKind
    {
        DerivedKind() = default;
        DerivedKind(const DerivedKind& other) : value(other.value.load(std::memory_order_relaxed)) {}
        DerivedKind& operator=(const DerivedKind& other)
        {
            value.store(other.value.load(std::memory_order_relaxed), std::memory_order_relaxed);
            return *this;
        }
        std::atomic<int> value{-1};
    };

    QString m_id;
    QString m_title;
    QString m_description;
    QString m_link;
    Instant m_pubDate;
    QStringList m_companies;
    mutable DerivedKind m_category;
};

size_t qHash(const Announcement& announcement, size_t seed = 0);

using AnnouncementList = QList<Announcement>;

Q_DECLARE_METATYPE(Announcement)
