#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <compare>

// A point in time kept as seconds since 2001-01-01 00:00:00 UTC, the form the cache file stores.
// Keeping the double itself (not milliseconds) makes a save/load round trip compare equal.
class Instant
{
public:
    static constexpr double kUnixOffset = 978307200.0; // seconds from 1970-01-01 to 2001-01-01

    constexpr Instant() = default;
    static constexpr Instant fromReferenceSeconds(double seconds) { return Instant(seconds); }
    static constexpr Instant fromUnixSeconds(double seconds) { return Instant(seconds - kUnixOffset); }
    static Instant fromDateTime(const QDateTime& dateTime);
    static Instant now();

    constexpr double referenceSeconds() const { return m_seconds; }
    constexpr double unixSeconds() const { return m_seconds + kUnixOffset; }
    qint64 unixMilliseconds() const;
    QDateTime toDateTime() const; // UTC

    constexpr Instant addSeconds(double seconds) const { return Instant(m_seconds + seconds); }

    friend constexpr bool operator==(const Instant&, const Instant&) = default;
    friend constexpr auto operator<=>(const Instant&, const Instant&) = default;

private:
    constexpr explicit Instant(double seconds) : m_seconds(seconds) {}
    double m_seconds = 0.0;
};
