#include "fetch/PortalDates.h"

#include "model/RiyadhTime.h"

#include <QDateTime>
#include <array>

namespace {

constexpr qint64 kUnixEpochJulianDay = 2440588; // 1970-01-01

// Reads the characters of `text` in order; every reader fails (returns false) without consuming on error.
class Cursor
{
public:
    explicit Cursor(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_at == m_text.size(); }

    bool number(int minDigits, int maxDigits, int& out)
    {
        int value = 0;
        int digits = 0;
        while (m_at + digits < m_text.size() && digits < maxDigits) {
            const char16_t c = m_text[m_at + digits].unicode();
            if (c < u'0' || c > u'9')
                break;
            value = value * 10 + (c - u'0');
            ++digits;
        }
        if (digits < minDigits)
            return false;
        // More digits than the field holds: not this pattern.
        if (m_at + digits < m_text.size() && m_text[m_at + digits].isDigit())
            return false;
        m_at += digits;
        out = value;
        return true;
    }

    bool literal(char16_t c)
    {
        if (atEnd() || m_text[m_at].unicode() != c)
            return false;
        ++m_at;
        return true;
    }

    // Pattern whitespace matches one or more spaces.
    bool spaces()
    {
        const qsizetype start = m_at;
        while (!atEnd() && m_text[m_at].unicode() == u' ')
            ++m_at;
        return m_at > start;
    }

    // Case-insensitive match of one of `words`; the longest match wins. Returns its index or -1.
    template <std::size_t N> int word(const std::array<const char*, N>& words)
    {
        int best = -1;
        qsizetype bestLength = 0;
        for (std::size_t i = 0; i < N; ++i) {
            const QLatin1StringView candidate(words[i]);
            if (candidate.size() > bestLength &&
                m_text.mid(m_at).startsWith(candidate, Qt::CaseInsensitive)) {
                best = static_cast<int>(i);
                bestLength = candidate.size();
            }
        }
        m_at += bestLength;
        return best;
    }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

const std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char*, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

int monthFromName(Cursor& cursor)
{
    Cursor trial = cursor;
    const int longIndex = trial.word(kLongMonths);
    if (longIndex >= 0) {
        cursor = trial;
        return longIndex + 1;
    }
    const int shortIndex = cursor.word(kShortMonths);
    return shortIndex >= 0 ? shortIndex + 1 : 0;
}

} // namespace

std::optional<Instant> PortalDates::fromRiyadhFields(int year, int month, int day, int hour, int minute,
                                                     int second)
{
    if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    const qint64 localSeconds =
        (date.toJulianDay() - kUnixEpochJulianDay) * 86400 + hour * 3600 + minute * 60 + second;
    // Riyadh has kept UTC+03:00 since 1947; earlier local mean time comes from the zone database.
    int offset = 3 * 3600;
    if (year < 1950)
        offset =
            RiyadhTime::zone().offsetFromUtc(QDateTime::fromSecsSinceEpoch(localSeconds - offset, Qt::UTC));
    return Instant::fromUnixSeconds(static_cast<double>(localSeconds - offset));
}

std::optional<Instant> PortalDates::parseNumeric(QStringView text)
{
    Cursor c(text);
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (c.number(1, 2, day) && c.literal(u'/') && c.number(1, 2, month) && c.literal(u'/') &&
        c.number(1, 4, year) && c.spaces() && c.number(1, 2, hour) && c.literal(u':') &&
        c.number(1, 2, minute) && c.literal(u':') && c.number(1, 2, second) && c.atEnd())
        return fromRiyadhFields(year, month, day, hour, minute, second);
    return std::nullopt;
}

std::optional<Instant> PortalDates::parseTimestamp(QStringView text)
{
    static const std::array<const char*, 2> kPeriods = {"AM", "PM"};
    Cursor c(text);
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    const int month = monthFromName(c);
    if (month == 0 || !c.spaces() || !c.number(1, 2, day) || !c.literal(u',') || !c.spaces() ||
        !c.number(1, 4, year) || !c.spaces() || !c.number(1, 2, hour) || !c.literal(u':') ||
        !c.number(1, 2, minute) || !c.literal(u':') || !c.number(1, 2, second) || !c.spaces())
        return std::nullopt;
    const int period = c.word(kPeriods);
    if (period < 0 || !c.atEnd() || hour < 1 || hour > 12)
        return std::nullopt;
    return fromRiyadhFields(year, month, day, hour % 12 + 12 * period, minute, second);
}

Instant PortalDates::fromEpochNumber(double value)
{
    if (value > 10'000'000'000.0)
        value /= 1000.0;
    return Instant::fromUnixSeconds(value);
}
