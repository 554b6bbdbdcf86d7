#include "model/MorningDigest.h"

#include "model/TradingCalendar.h"

#include <QTime>

std::optional<int> MorningDigest::parseTime(const QString& text)
{
    const QTime time = QTime::fromString(text.trimmed(), QStringLiteral("H:mm"));
    if (!time.isValid())
        return std::nullopt;
    return time.hour() * 60 + time.minute();
}

QString MorningDigest::timeText(int minute)
{
    return QTime(minute / 60, minute % 60).toString(QStringLiteral("HH:mm"));
}

Instant MorningDigest::latestDue(int minute, Instant now)
{
    QDate day = TradingCalendar::riyadhDay(now);
    if (TradingCalendar::riyadhMinute(now) < minute)
        day = day.addDays(-1);
    while (!TradingCalendar::isTradingDay(day))
        day = day.addDays(-1);
    return TradingCalendar::at(day, minute);
}

Instant MorningDigest::nextDue(int minute, Instant now)
{
    QDate day = TradingCalendar::riyadhDay(now);
    if (TradingCalendar::riyadhMinute(now) >= minute)
        day = day.addDays(1);
    while (!TradingCalendar::isTradingDay(day))
        day = day.addDays(1);
    return TradingCalendar::at(day, minute);
}

Instant MorningDigest::windowStart(Instant due)
{
    return TradingCalendar::previousCloseBefore(due);
}

bool MorningDigest::stillTimely(Instant due, Instant now)
{
    if (now < due)
        return false;
    const Instant open = TradingCalendar::at(TradingCalendar::riyadhDay(due), TradingCalendar::kOpenMinute);
    return now < due.addSeconds(kGraceSeconds) || now < open;
}

MorningDigest MorningDigest::make(const AnnouncementList& kept, Instant due, Instant now)
{
    MorningDigest digest;
    digest.due = due;
    digest.since = windowStart(due);
    QHash<AnnouncementCategory::Kind, int> counted;
    for (const Announcement& announcement : kept) {
        if (announcement.pubDate() < digest.since || now < announcement.pubDate())
            continue;
        digest.announcements.append(announcement);
        ++counted[AnnouncementCategory::of(announcement)];
    }
    for (const AnnouncementCategory::Kind kind : AnnouncementCategory::all()) {
        if (counted.contains(kind))
            digest.counts.append({kind, counted.value(kind)});
    }
    return digest;
}

QString MorningDigest::title() const
{
    return tr("Morning digest: %n announcements", nullptr, int(announcements.size()));
}

QString MorningDigest::breakdown() const
{
    QStringList parts;
    for (const auto& [kind, count] : counts)
        parts.append(tr("%1: %2").arg(AnnouncementCategory::displayName(kind)).arg(count));
    return parts.join(tr(", "));
}

QString MorningDigest::menuLine() const
{
    return tr("Morning Digest: %n announcements", nullptr, int(announcements.size()));
}

QString MorningDigest::line() const
{
    return counts.isEmpty() ? title() : title() + QStringLiteral(" \u2014 ") + breakdown();
}

QStringList MorningDigest::ids() const
{
    QStringList ids;
    for (const Announcement& announcement : announcements)
        ids.append(announcement.id());
    return ids;
}
