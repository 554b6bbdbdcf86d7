// Entry points of the announcement-window module that the tray program loads on first use.
#include "windows/AnnouncementWindow.h"
#include "windows/module/WebModuleInterface.h"

extern "C" Q_DECL_EXPORT int zelvora_webModuleVersion()
{
    return WebModuleInterface::kVersion;
}

extern "C" Q_DECL_EXPORT QWidget*
zelvora_createAnnouncementWindow(const Announcement& announcement,
                                 const AnnouncementWindow::Services& services)
{
    return new AnnouncementWindow(announcement, services);
}
