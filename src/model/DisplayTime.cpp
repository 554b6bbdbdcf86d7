#include "model/DisplayTime.h"

#include "model/RiyadhTime.h"

namespace {
QDate dayIn(Instant instant, const QTimeZone& zone)
{
    return instant.toDateTime().toTimeZone(zone).date();
}
} // namespace

QString DisplayTime::relative(Instant at, Instant now, const QTimeZone& zone, const QLocale& locale)
{
    const QDate day = dayIn(at, zone);
    const QDate today = dayIn(now, zone);
    // Date patterns (Unicode UTS #35: quoted text is kept as it is) are translated with the
    // interface, so each language orders day, month and time its own way.
    const char* pattern = nullptr;
    if (day == today)
        pattern = QT_TRANSLATE_NOOP("Announcement", "h:mm a");
    else if (day == today.addDays(-1))
        pattern = QT_TRANSLATE_NOOP("Announcement", "'Yesterday' h:mm a");
    else
        pattern = QT_TRANSLATE_NOOP("Announcement", "MMM d, h:mm a");
    return RiyadhTime::format(at, QCoreApplication::translate("Announcement", pattern), locale, zone);
}

QString DisplayTime::announcement(Instant at, Instant now, const QLocale& locale, const QTimeZone& system)
{
    const QString time = relative(at, now, RiyadhTime::zone(), locale);
    const int riyadhOffset = RiyadhTime::zone().offsetFromUtc(at.toDateTime());
    if (system.isValid() && system.offsetFromUtc(at.toDateTime()) == riyadhOffset)
        return time;
    return tr("%1 Riyadh time").arg(time);
}

QString DisplayTime::own(Instant at, Instant now, const QLocale& locale, const QTimeZone& system)
{
    return relative(at, now, system.isValid() ? system : QTimeZone::systemTimeZone(), locale);
}
