#pragma once

#include "model/Announcement.h"

#include <QMetaType>

// What a finished poll reports: records new to the user, the whole kept list, and whether both feeds failed.
struct AnnouncementsUpdate
{
    AnnouncementList newAnnouncements;
    AnnouncementList all;
    bool error = false;
};
Q_DECLARE_METATYPE(AnnouncementsUpdate)
