#pragma once

#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QMetaType>

// What a finished poll reports: records new to the user, the whole kept list, and whether both feeds failed.
struct AnnouncementsUpdate
{
    AnnouncementList newAnnouncements;
    AnnouncementList all;
    bool error = false;
    PollStatus status; // after this poll
};
Q_DECLARE_METATYPE(AnnouncementsUpdate)
