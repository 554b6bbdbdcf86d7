#pragma once

#include "infra/Instant.h"

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
