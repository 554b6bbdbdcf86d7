#include "model/RiyadhTime.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace {
QString formatted(icu::DateFormat& formatter, Instant instant, const QByteArray& timeZoneId)
{
    icu::TimeZone* zone = icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZoneId.constData()));
    if (*zone == icu::TimeZone::getUnknown()) {
        delete zone;
        zone = icu::TimeZone::createDefault();
    }
    formatter.adoptTimeZone(zone);
    icu::UnicodeString out;
    formatter.format(static_cast<UDate>(instant.unixMilliseconds()), out);
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
}
} // namespace

QTimeZone RiyadhTime::zone()
{
    static const QTimeZone riyadh = [] {
        QTimeZone named(QByteArrayLiteral("Asia/Riyadh"));
        // A system without time-zone data still knows the fixed offset.
        return named.isValid() ? named : QTimeZone(3 * 3600);
    }();
    return riyadh;
}

QDate RiyadhTime::calendarDay(Instant instant)
{
    return QDateTime::fromMSecsSinceEpoch(instant.unixMilliseconds(), zone()).date();
}

QString RiyadhTime::format(Instant instant, const QString& pattern, const QLocale& locale)
{
    return format(instant, pattern, locale, zone());
}

QString RiyadhTime::format(Instant instant, const QString& pattern, const QLocale& locale,
                           const QTimeZone& zone)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString icuPattern(reinterpret_cast<const char16_t*>(pattern.utf16()),
                                        static_cast<int32_t>(pattern.size()));
    icu::SimpleDateFormat formatter(icuPattern, icu::Locale(icuLocaleId(locale.name()).constData()), status);
    if (U_FAILURE(status))
        return {};
    // ICU reads fixed offsets as "GMT+03:00"; Qt names them "UTC+03:00".
    QByteArray zoneId = zone.id();
    if (zoneId.startsWith("UTC+") || zoneId.startsWith("UTC-"))
        zoneId.replace(0, 3, "GMT");
    return formatted(formatter, instant, zoneId);
}

QByteArray RiyadhTime::icuLocaleId(const QString& localeName)
{
    QByteArray id = localeName.toUtf8();
    if (id.isEmpty() || id == "C" || id.startsWith("C@"))
        id = QByteArrayLiteral("en_US");
    if (!id.contains('@'))
        id += QByteArrayLiteral("@calendar=gregorian;numbers=latn");
    return id;
}
