#pragma once

#include "infra/Instant.h"

#include <atomic>

// Where "now" comes from, so tests and benchmarks can hold time still or move it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual Instant now() const = 0;
};

class SystemClock : public Clock
{
public:
    Instant now() const override { return Instant::now(); }
};

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
