#include "windows/module/AnnouncementWindowModule.h"

QWidget* AnnouncementWindowModule::createAnnouncementWindow(const Announcement& announcement,
                                                            const AnnouncementWindow::Services& services)
{
    return new AnnouncementWindow(announcement, services);
}
