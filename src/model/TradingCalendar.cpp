#include "model/TradingCalendar.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <cmath>
#include <memory>
#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

namespace {
constexpr double kRiyadhOffsetSeconds = 3 * 3600;
constexpr double kDaySeconds = 86400;
const QDate kEpochDay(1970, 1, 1);

double riyadhUnixSeconds(Instant instant)
{
    return instant.unixSeconds() + kRiyadhOffsetSeconds;
}

// The Eid days of one Gregorian year, read from ICU's Umm al-Qura calendar (Saudi Arabia's own).
QSet<QDate> eidDays(int year)
{
    QSet<QDate> days;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Calendar> hijri(icu::Calendar::createInstance(
        icu::TimeZone::getGMT()->clone(), icu::Locale("en@calendar=islamic-umalqura"), status));
    if (U_FAILURE(status))
        return days;
    constexpr int kShawwal = 9; // months count from 0
    constexpr int kDhuAlHijjah = 11;
    for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(1)) {
        // Noon UTC lies inside the Riyadh day too.
        hijri->setTime(double(kEpochDay.daysTo(day)) * kDaySeconds * 1000.0 + 12 * 3600 * 1000.0, status);
        const int month = hijri->get(UCAL_MONTH, status);
        const int date = hijri->get(UCAL_DATE, status);
        if (U_FAILURE(status))
            return {};
        if ((month == kShawwal && date <= 3) || (month == kDhuAlHijjah && date >= 10 && date <= 12))
            days.insert(day);
    }
    return days;
}
} // namespace

bool TradingCalendar::isHoliday(QDate day)
{
    if ((day.month() == 2 && day.day() == 22) || (day.month() == 9 && day.day() == 23))
        return true;
    // Worked out once per year: quiet hours and the digest ask this every day of a poll.
    static QMutex mutex;
    static QHash<int, QSet<QDate>> byYear;
    const QMutexLocker lock(&mutex);
    auto found = byYear.find(day.year());
    if (found == byYear.end())
        found = byYear.insert(day.year(), eidDays(day.year()));
    return found->contains(day);
}

bool TradingCalendar::isTradingDay(QDate day)
{
    const int weekday = day.dayOfWeek(); // Monday 1 … Sunday 7
    return weekday != Qt::Friday && weekday != Qt::Saturday && !isHoliday(day);
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

Instant TradingCalendar::previousCloseBefore(Instant instant)
{
    QDate day = riyadhDay(instant).addDays(-1);
    while (!isTradingDay(day))
        day = day.addDays(-1);
    return at(day, kCloseMinute);
}
