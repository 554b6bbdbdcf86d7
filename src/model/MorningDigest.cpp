#include "model/MorningDigest.h"

#include "model/TradingCalendar.h"

#include <QTime>

std::optional<MorningDigest> MorningDigest::parse(const QString& text)
{
    const QTime time = QTime::fromString(text.trimmed(), QStringLiteral("H:mm"));
    if (!time.isValid())
        return std::nullopt;
    return MorningDigest(time.hour() * 60 + time.minute());
}

Instant MorningDigest::nextAfter(Instant now) const
{
    QDate day = TradingCalendar::riyadhDay(now);
    if (TradingCalendar::riyadhMinute(now) >= m_minute)
        day = day.addDays(1);
    while (!TradingCalendar::isTradingDay(day))
        day = day.addDays(1);
    return TradingCalendar::at(day, m_minute);
}

Instant MorningDigest::windowStart(Instant due)
{
    return TradingCalendar::previousCloseBefore(due);
}
