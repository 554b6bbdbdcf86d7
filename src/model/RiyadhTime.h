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
    // Formats with a Unicode (UTS #35) date pattern in the Riyadh zone, with the locale's
    // month names, day-period markers and digits.
    static QString format(Instant instant, const QString& pattern, const QLocale& locale);
    // The same on the clock of `zone`.
    static QString format(Instant instant, const QString& pattern, const QLocale& locale,
                          const QTimeZone& zone);
    // The ICU locale for dates a person reads: the C locale reads as US English, and every locale
    // writes Gregorian dates (the exchange's own) with Latin digits, as Saudi trading and banking
    // apps show them also in Arabic.
    static QByteArray icuLocaleId(const QString& localeName);
};
