#pragma once

#include "model/Announcement.h"

#include <QString>

// What an announcement says beyond its title, in one line: an issuer announcement's title is only the
// issuer's name, so without it five announcements of one company read alike.
class AnnouncementHeadline
{
public:
    static constexpr int kNameWithin = 20; // how far into the description the name is taken off

    // The description as one line, without the company name it repeats near its start ("Arabian
    // Energy Co. announces ..." under the title "Arabian Energy Co." gives "announces ...").
    static QString of(const Announcement& announcement);
};
