#include "model/RiyadhTime.h"

#include <memory>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

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
    const icu::Locale icuLocale(icuLocaleId(locale.name()).constData());

    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString icuPattern(reinterpret_cast<const char16_t*>(pattern.utf16()),
                                        static_cast<int32_t>(pattern.size()));
    icu::SimpleDateFormat formatter(icuPattern, icuLocale, status);
    if (U_FAILURE(status))
        return {};
    formatter.adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"Asia/Riyadh")));

    icu::UnicodeString out;
    formatter.format(static_cast<UDate>(instant.unixMilliseconds()), out);
    return QString(reinterpret_cast<const QChar*>(out.getBuffer()), out.length());
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
