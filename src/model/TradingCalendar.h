#pragma once

#include "infra/Instant.h"

#include <QDate>

// The exchange's week in Riyadh time (UTC+03:00, no daylight saving): trading from Sunday to Thursday,
// from the pre-open at 09:30 to the end of the session at 15:30. Public holidays are not known here.
class TradingCalendar
{
public:
    static constexpr int kOpenMinute = 9 * 60 + 30;
    static constexpr int kCloseMinute = 15 * 60 + 30;

    static bool isTradingDay(QDate day);
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
};
