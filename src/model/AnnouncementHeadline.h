#pragma once

#include "model/Announcement.h"

#include <QString>

// What an announcement says beyond its title, in one line: an issuer announcement's title is only the
// issuer's name, so without it five announcements of one company read alike.
class AnnouncementHeadline
{
public:
    // The description as one line, without the title it repeats ("Arabian Energy Co. announces ..."
    // under the title "Arabian Energy Co." gives "announces ..."); empty when it adds nothing.
    static QString of(const Announcement& announcement);
};
