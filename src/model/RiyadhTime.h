#pragma once

#include "infra/Instant.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// The exchange's clock, Asia/Riyadh (UTC+03:00, no daylight saving), and the dates a person reads.
class RiyadhTime
{
public:
    static QTimeZone zone();
    static QDate calendarDay(Instant instant);
    // Formats with a Unicode (UTS #35) date pattern in the Riyadh zone, with the locale's month
    // and day names and day-period markers. The C locale reads as US English, and every locale
    // writes Gregorian dates (the exchange's own) with Latin digits, as Saudi trading and banking
    // apps show them also in Arabic. The pattern letters are y M L d E h H m s a x X, each
    // repeated as UTS #35 has it; a pattern with another letter formats to an empty text.
    static QString format(Instant instant, const QString& pattern, const QLocale& locale);
    // The same on the clock of `zone`.
    static QString format(Instant instant, const QString& pattern, const QLocale& locale,
                          const QTimeZone& zone);
};
