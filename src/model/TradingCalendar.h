#pragma once

#include "infra/Instant.h"

#include <QDate>

// The exchange's week in Riyadh time (UTC+03:00, no daylight saving): trading from Sunday to Thursday,
// from the pre-open at 09:30 to the end of the session at 15:30, except on public holidays.
class TradingCalendar
{
public:
    static constexpr int kOpenMinute = 9 * 60 + 30;
    static constexpr int kCloseMinute = 15 * 60 + 30;

    static bool isTradingDay(QDate day);
    // Founding Day (22 February), National Day (23 September) and the days of the two Eids by the
    // Umm al-Qura calendar (1-3 Shawwal, 10-12 Dhu al-Hijjah). The exchange announces its closures
    // each year, often a few days longer around the Eids; these are the days it always closes.
    static bool isHoliday(QDate day);
    // The Riyadh day of an instant and the minute of that day (0..1439).
    static QDate riyadhDay(Instant instant);
    static int riyadhMinute(Instant instant);
    // The instant of a Riyadh wall-clock minute on a day.
    static Instant at(QDate day, int minuteOfDay);

    static bool isTradingTime(Instant instant);
    // The first session open strictly after `instant`.
    static Instant nextOpenAfter(Instant instant);
    // The first session open on a day after the Riyadh day of `instant` ("tomorrow's open").
    static Instant openAfterToday(Instant instant);
    // The close of the last trading day before the Riyadh day of `instant`.
    static Instant previousCloseBefore(Instant instant);
};
