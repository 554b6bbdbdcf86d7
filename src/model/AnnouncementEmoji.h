#pragma once

#include <QString>

class Announcement;

// The category mark of an announcement, chosen from keywords (English and Arabic).
// Used by the list window's rows and by the tray menu.
class AnnouncementEmoji
{
public:
    // The first keyword found (rows in order, keywords in order) decides; "📌" when none is found.
    static QString forTitle(const QString& title);
    // By the title as shown; when it names no category (on the portal an issuer announcement's title
    // is the issuer's name), by the description, with the same keywords in the same order.
    static QString forAnnouncement(const Announcement& announcement);
};
