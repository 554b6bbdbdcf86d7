#pragma once

#include "infra/Clock.h"

#include <atomic>

// A clock that stands still until a test sets or advances it; readable from the fetch worker thread.
class ManualClock : public Clock
{
public:
    explicit ManualClock(Instant start) : m_seconds(start.referenceSeconds()) {}
    Instant now() const override { return Instant::fromReferenceSeconds(m_seconds.load()); }
    void set(Instant instant) { m_seconds.store(instant.referenceSeconds()); }
    void advance(double seconds) { m_seconds.store(m_seconds.load() + seconds); }

private:
    std::atomic<double> m_seconds;
};
