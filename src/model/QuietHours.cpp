#include "model/QuietHours.h"

#include "model/TradingCalendar.h"

#include <QRegularExpression>

namespace {
std::optional<int> minuteOf(const QString& hour, const QString& minute)
{
    const int h = hour.toInt();
    const int m = minute.toInt();
    if (h > 23 || m > 59)
        return std::nullopt;
    return h * 60 + m;
}

QString clockText(int minute)
{
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

std::optional<QuietHours> QuietHours::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    QuietHours hours;
    if (trimmed.isEmpty())
        return hours;
    if (trimmed.compare(kOutsideTrading, Qt::CaseInsensitive) == 0) {
        hours.m_kind = Kind::OutsideTrading;
        return hours;
    }
    static const QRegularExpression span(QStringLiteral("^(\\d{1,2}):(\\d{2})\\s*-\\s*(\\d{1,2}):(\\d{2})$"));
    const QRegularExpressionMatch match = span.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    const auto start = minuteOf(match.captured(1), match.captured(2));
    const auto end = minuteOf(match.captured(3), match.captured(4));
    if (!start || !end || *start == *end)
        return std::nullopt;
    hours.m_kind = Kind::Span;
    hours.m_start = *start;
    hours.m_end = *end;
    return hours;
}

QString QuietHours::text() const
{
    switch (m_kind) {
    case Kind::Off:
        return {};
    case Kind::OutsideTrading:
        return kOutsideTrading;
    case Kind::Span:
        break;
    }
    return clockText(m_start) + QLatin1Char('-') + clockText(m_end);
}

bool QuietHours::isQuiet(Instant at) const
{
    switch (m_kind) {
    case Kind::Off:
        return false;
    case Kind::OutsideTrading:
        return !TradingCalendar::isTradingTime(at);
    case Kind::Span:
        break;
    }
    const int minute = TradingCalendar::riyadhMinute(at);
    if (m_start < m_end)
        return minute >= m_start && minute < m_end;
    return minute >= m_start || minute < m_end;
}

Instant QuietHours::quietUntil(Instant at) const
{
    if (!isQuiet(at))
        return at;
    if (m_kind == Kind::OutsideTrading)
        return TradingCalendar::nextOpenAfter(at);
    const QDate day = TradingCalendar::riyadhDay(at);
    // Quiet and past the start of a span that passes midnight: it ends tomorrow.
    const bool endsTomorrow = m_start > m_end && TradingCalendar::riyadhMinute(at) >= m_start;
    return TradingCalendar::at(endsTomorrow ? day.addDays(1) : day, m_end);
}
