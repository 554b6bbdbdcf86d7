#pragma once

#include "model/Announcement.h"

// The commands of the tray menu; the tray shell carries them out.
class MenuCommands
{
public:
    virtual ~MenuCommands() = default;
    virtual void menuRefreshNow() = 0;
    virtual void menuOpenSettings() = 0;
    virtual void menuCheckForUpdates() = 0;
    virtual void menuShowAbout() = 0;
    virtual void menuQuit() = 0;
    virtual void menuViewAll() = 0;
    virtual void menuOpenAnnouncement(const QVariant& itemData) = 0;
    // Holding notifications for a while, and the first line's command that ends the hold.
    virtual void menuPauseForAnHour() {}
    virtual void menuPauseUntilTomorrowsOpen() {}
    virtual void menuResumeNotifications() {}
    virtual void menuMarkAllRead() {}
    // The morning digest's entry: shows what it counted.
    virtual void menuOpenDigest() {}
};
