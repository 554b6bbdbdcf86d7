#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// What the feed files for other readers hold, the same for both formats: the feed's own fields and one
// entry per announcement. Every text is safe for XML 1.0 and UTF-8: a control character other than tab
// and line feed, a noncharacter or a lone surrogate from the portal becomes U+FFFD, so no title can
// make the file unreadable.
class FeedContent
{
    Q_DECLARE_TR_FUNCTIONS(FeedContent)
public:
    struct Entry
    {
        QString id;      // "tag:zelvora.org,2026:announcement/<announcement id>"
        QString title;   // as people read it (markup removed)
        QString summary; // the headline; empty when the description only repeats the title
        QString text;    // the whole description as text, else the title
        QString link;    // the announcement's page on the portal
        QString date;    // RFC 3339 in Riyadh time, "2026-03-04T14:05:00+03:00"
        QStringList symbols;
        QString category; // its key, "dividends"
        QString language; // "ar" or "en"
    };

    // `language` is the feed language ("en", "ar"); `now` dates a feed without entries.
    FeedContent(const AnnouncementList& announcements, QString portalOrigin, QString language, Instant now);

    QString title() const;
    QString author() const; // the exchange
    const QString& id() const { return m_id; }
    const QString& portalOrigin() const { return m_portalOrigin; }
    const QString& language() const { return m_language; }
    const QString& updated() const { return m_updated; } // the newest entry's date
    const QList<Entry>& entries() const { return m_entries; }

    static QString safeText(const QString& text);
    static QString dateText(Instant instant);

private:
    QString m_id;
    QString m_portalOrigin;
    QString m_language;
    QString m_updated;
    QList<Entry> m_entries;
};
