#pragma once

#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QMetaType>
#include <optional>

// What a finished poll reports: records to tell the user, the whole kept list, and whether both feeds failed.
struct AnnouncementsUpdate
{
    AnnouncementList
        newAnnouncements; // a teller's: every record owed to the user; else those new to the archive
    AnnouncementList all;
    bool error = false;
    PollStatus status;            // after this poll
    std::optional<Instant> since; // the previous successful poll (of any process)
    AnnouncementList released;    // of newAnnouncements, those held until now (told in one summary)
    int held = 0;                 // records still held (quiet hours, a pause, a mute)
};
Q_DECLARE_METATYPE(AnnouncementsUpdate)
