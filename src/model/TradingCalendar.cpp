#include "model/TradingCalendar.h"

#include <cmath>

namespace {
constexpr double kRiyadhOffsetSeconds = 3 * 3600;
constexpr double kDaySeconds = 86400;
const QDate kEpochDay(1970, 1, 1);

double riyadhUnixSeconds(Instant instant)
{
    return instant.unixSeconds() + kRiyadhOffsetSeconds;
}
} // namespace

bool TradingCalendar::isTradingDay(QDate day)
{
    const int weekday = day.dayOfWeek(); // Monday 1 … Sunday 7
    return weekday != Qt::Friday && weekday != Qt::Saturday;
}

QDate TradingCalendar::riyadhDay(Instant instant)
{
    return kEpochDay.addDays(static_cast<qint64>(std::floor(riyadhUnixSeconds(instant) / kDaySeconds)));
}

int TradingCalendar::riyadhMinute(Instant instant)
{
    const double seconds = riyadhUnixSeconds(instant);
    const double ofDay = seconds - std::floor(seconds / kDaySeconds) * kDaySeconds;
    return static_cast<int>(ofDay / 60);
}

Instant TradingCalendar::at(QDate day, int minuteOfDay)
{
    const double seconds = double(kEpochDay.daysTo(day)) * kDaySeconds + minuteOfDay * 60.0;
    return Instant::fromUnixSeconds(seconds - kRiyadhOffsetSeconds);
}

bool TradingCalendar::isTradingTime(Instant instant)
{
    const int minute = riyadhMinute(instant);
    return isTradingDay(riyadhDay(instant)) && minute >= kOpenMinute && minute < kCloseMinute;
}

Instant TradingCalendar::nextOpenAfter(Instant instant)
{
    QDate day = riyadhDay(instant);
    if (riyadhMinute(instant) >= kOpenMinute)
        day = day.addDays(1);
    while (!isTradingDay(day))
        day = day.addDays(1);
    return at(day, kOpenMinute);
}

Instant TradingCalendar::openAfterToday(Instant instant)
{
    QDate day = riyadhDay(instant).addDays(1);
    while (!isTradingDay(day))
        day = day.addDays(1);
    return at(day, kOpenMinute);
}
