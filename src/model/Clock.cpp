#include "model/Clock.h"

namespace {
class SystemClock : public Clock
{
public:
    Instant now() const override { return Instant::now(); }
};
} // namespace

const Clock& Clock::system()
{
    static const SystemClock clock;
    return clock;
}
