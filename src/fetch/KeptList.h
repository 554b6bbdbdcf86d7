#pragma once

#include "model/Announcement.h"

// The rules that turn a poll's fetched records and the kept list into the new kept list.
class KeptList
{
public:
    static constexpr int kCapacity = 500;

    // Fetched copies win over kept ones of the same id; newest first (stable: equal dates keep merge
    // order); strictly within the 30 days before `now` and not more than a day after it; at most 500.
    static AnnouncementList merge(const AnnouncementList& fetched, const AnnouncementList& kept, Instant now);

    static std::optional<Announcement> find(const AnnouncementList& list, const QString& id);
};
