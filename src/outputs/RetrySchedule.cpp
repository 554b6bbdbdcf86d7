#include "outputs/RetrySchedule.h"

#include <algorithm>
#include <cmath>

double RetrySchedule::pause(int failures)
{
    // Past 10 doublings the pause is the longest anyway; the cap keeps the power finite.
    const int doublings = std::clamp(failures - 1, 0, 20);
    return std::min(kLongestPause, kFirstPause * std::pow(2.0, doublings));
}

std::optional<Instant> RetrySchedule::nextAttempt(Instant firstAttempt, int failures, Instant now,
                                                  std::optional<double> retryAfterSeconds)
{
    const double wait = std::max(pause(failures), retryAfterSeconds.value_or(0.0));
    const Instant next = now.addSeconds(wait);
    if (next.referenceSeconds() - firstAttempt.referenceSeconds() > kGiveUpAfter)
        return std::nullopt;
    return next;
}
