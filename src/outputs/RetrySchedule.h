#pragma once

#include "infra/Instant.h"

#include <optional>

// When a delivery that failed is tried again: 5 seconds after the first failure, twice as long after
// each further one up to an hour, and no more once a day has passed since the first attempt. A
// receiver's Retry-After is waited out in full (also when longer than the pause).
class RetrySchedule
{
public:
    static constexpr double kFirstPause = 5;
    static constexpr double kLongestPause = 3600;
    static constexpr double kGiveUpAfter = 86400;

    // The pause after `failures` failed attempts (1 or more).
    static double pause(int failures);
    // When to try next after the attempt at `now` failed, or none when the delivery is given up.
    static std::optional<Instant> nextAttempt(Instant firstAttempt, int failures, Instant now,
                                              std::optional<double> retryAfterSeconds = std::nullopt);
};
