#pragma once

#include <QString>

class Announcement;

// The mark the menu, the list window and `show` put before an announcement: its category's emoji.
class AnnouncementEmoji
{
public:
    static QString forAnnouncement(const Announcement& announcement);
};
