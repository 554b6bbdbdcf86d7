#pragma once

#include "infra/Instant.h"

#include <optional>

// Whether a fetched record is news to the user. A record is news when the archive has never seen its
// identifier and it is dated after the last successful poll of any process, less an hour for records
// the portal lists late. Older unseen records (a feed that answers again after days, a deleted cache
// file) are archived silently, and so is everything the very first poll finds.
class NewsRule
{
public:
    static constexpr double kLateListingSeconds = 3600;

    enum class Verdict {
        Known,    // the archive has it
        Baseline, // the first poll ever: archived silently
        News,     // to tell
        Silent,   // older than the last poll: archived silently
    };

    struct Context
    {
        bool baselineDone = false;       // some poll has filled the archive before
        std::optional<Instant> lastPoll; // the last successful poll of any process
        bool languageChanged = false;    // the last poll fetched the other language
    };

    static Verdict judge(const Context& context, bool known, Instant pubDate);
};
