#pragma once

#include "infra/Instant.h"

#include <QString>
#include <optional>

// The optional morning digest: at a Riyadh time of day ("HH:MM", e.g. 09:15 before the pre-open),
// on trading days, one look at what came since the previous trading day's close.
class MorningDigest
{
public:
    // None when the text is empty or not a time of day.
    static std::optional<MorningDigest> parse(const QString& text);

    int minuteOfDay() const { return m_minute; }
    // The first digest strictly after `now`.
    Instant nextAfter(Instant now) const;
    // What a digest due at `due` covers: from the close of the trading day before it up to `due`.
    static Instant windowStart(Instant due);

private:
    explicit MorningDigest(int minute) : m_minute(minute) {}
    int m_minute = 0;
};
