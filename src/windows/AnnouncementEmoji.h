#pragma once

#include <QString>

// The category mark of an announcement, chosen from keywords of its title (English and Arabic).
// Used by the list window's rows and by the tray menu.
class AnnouncementEmoji
{
public:
    // The first keyword found (rows in order, keywords in order) decides; "📌" when none is found.
    static QString forTitle(const QString& title);
};
