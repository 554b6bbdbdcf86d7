// The poll status file, read by `zelvora status` and at every start: what it reads must be saved and
// read back the same, and the texts made from it must not fail on any content.
#include "FuzzSupport.h"
#include "model/PollStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = FuzzSupport::writeScratch(PollStatus::kFileName, FuzzSupport::bytes(data, size));
    const PollStatus status = PollStatus::load(path);
    status.state();
    status.summary(Instant::fromUnixSeconds(1780000000), QTimeZone::utc());
    status.problem();
    if (!status.save(path))
        FuzzSupport::fail("the status could not be saved");
    if (!(PollStatus::load(path) == status))
        FuzzSupport::fail("the saved status reads back otherwise");
    return 0;
}
