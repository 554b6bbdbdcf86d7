#pragma once

#include "infra/Instant.h"

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QTimeZone>

// The one way times are shown to people (menu, windows, page, tooltip, `list`, `show`), on a
// 12-hour clock: "2:05 PM" today, "Yesterday 9:30 AM", else "Mar 4, 11:00 AM", never a year.
class DisplayTime
{
    Q_DECLARE_TR_FUNCTIONS(DisplayTime)

public:
    // An announcement's time on the exchange's (Riyadh) clock, by the Riyadh day. On a machine
    // whose own clock is not at UTC+3 then, " Riyadh time" follows, so it cannot be taken for a
    // local time.
    static QString announcement(Instant at, Instant now, const QLocale& locale = QLocale(),
                                const QTimeZone& system = QTimeZone::systemTimeZone());
    // The program's own times (checked at, failing since) on the system's clock.
    static QString own(Instant at, Instant now, const QLocale& locale = QLocale(),
                       const QTimeZone& system = QTimeZone::systemTimeZone());

private:
    static QString relative(Instant at, Instant now, const QTimeZone& zone, const QLocale& locale);
};
