// Entry point of the announcement-window module that the tray program loads on first use.
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementWindow.h"

extern "C" Q_DECL_EXPORT QWidget* zelvora_createAnnouncementWindow(const Announcement& announcement,
                                                                   UrlOpener* opener)
{
    AnnouncementWindow::Services services = AnnouncementWindow::Services::defaults();
    if (opener)
        services.opener = opener;
    return new AnnouncementWindow(announcement, services);
}
