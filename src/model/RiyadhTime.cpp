#include "model/RiyadhTime.h"

#include <optional>

namespace {
// `text` quoted for Qt's date format, in which letters are fields and '' is a quote.
QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

// "+03:00", "+0300" or "+03" (with `zulu`: "Z" for UTC), as UTS #35 writes x and X.
QString offsetText(int seconds, int count, bool zulu)
{
    if (zulu && seconds == 0)
        return QStringLiteral("Z");
    const int minutes = std::abs(seconds) / 60;
    QString text = QLatin1Char(seconds < 0 ? '-' : '+') +
                   QStringLiteral("%1").arg(minutes / 60, 2, 10, QLatin1Char('0'));
    if (count > 1 || minutes % 60 != 0)
        text += (count == 3 ? QStringLiteral(":") : QString()) +
                QStringLiteral("%1").arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return text;
}

// One field of a UTS #35 pattern (a letter repeated `count` times) in Qt's date format.
std::optional<QString> qtField(QChar letter, int count, int offsetSeconds)
{
    switch (letter.unicode()) {
    case 'y':
        return QString::fromLatin1(count == 2 ? "yy" : "yyyy");
    case 'M':
    case 'L':
        return QString(std::min(count, 4), QLatin1Char('M'));
    case 'd':
    case 'h':
    case 'H':
    case 'm':
    case 's':
        return QString(std::min(count, 2), letter);
    case 'E':
        return QString::fromLatin1(count < 4 ? "ddd" : "dddd");
    case 'a':
        return QStringLiteral("AP");
    case 'x':
    case 'X':
        return quoted(offsetText(offsetSeconds, count, letter == QLatin1Char('X')));
    default:
        return std::nullopt;
    }
}

// Arabic-Indic and Eastern Arabic-Indic digits as Latin ones.
QString withLatinDigits(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() >= 0x0660 && c.unicode() <= 0x0669)
            c = QChar(u'0' + (c.unicode() - 0x0660));
        else if (c.unicode() >= 0x06F0 && c.unicode() <= 0x06F9)
            c = QChar(u'0' + (c.unicode() - 0x06F0));
    }
    return text;
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
    // Qt's own names and day periods (the same CLDR data ICU has), without loading ICU's data: 3.5
    // MB of a tray program whose hover text shows a time.
    const QDateTime at = instant.toDateTime().toTimeZone(zone.isValid() ? zone : QTimeZone::systemTimeZone());
    QString qtPattern;
    QString literal;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('\''), i + 1);
            if (close == i + 1) { // '' is a quote
                literal += c;
                i += 2;
                continue;
            }
            // Inside quotes, '' is a quote too.
            qsizetype end = i + 1;
            for (; end < pattern.size(); ++end) {
                if (pattern.at(end) != QLatin1Char('\''))
                    literal += pattern.at(end);
                else if (end + 1 < pattern.size() && pattern.at(end + 1) == QLatin1Char('\''))
                    literal += pattern.at(++end);
                else
                    break;
            }
            i = end + 1;
            continue;
        }
        if (!((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))) {
            literal += c;
            ++i;
            continue;
        }
        int count = 1;
        while (i + count < pattern.size() && pattern.at(i + count) == c)
            ++count;
        const std::optional<QString> field = qtField(c, count, at.offsetFromUtc());
        if (!field)
            return {};
        if (!literal.isEmpty())
            qtPattern += quoted(std::exchange(literal, QString()));
        qtPattern += *field;
        i += count;
    }
    if (!literal.isEmpty())
        qtPattern += quoted(literal);
    const QLocale names =
        locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
    return withLatinDigits(names.toString(at, qtPattern));
}
