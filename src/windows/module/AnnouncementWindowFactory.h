#pragma once

#include "model/Announcement.h"
#include "windows/AnnouncementWindow.h"

#include <QtPlugin>

class QWidget;

// What the web module offers the program: a Qt plugin with this interface. The version in the
// interface's id is raised whenever the factory's signature or the layout of its arguments changes,
// so a stale copy from an older build or install is refused instead of being called.
class AnnouncementWindowFactory
{
public:
    virtual ~AnnouncementWindowFactory() = default;
    virtual QWidget* createAnnouncementWindow(const Announcement& announcement,
                                              const AnnouncementWindow::Services& services) = 0;
};

#define ZELVORA_ANNOUNCEMENT_WINDOW_FACTORY_IID "org.zelvora.Zelvora.AnnouncementWindowFactory/3"
Q_DECLARE_INTERFACE(AnnouncementWindowFactory, ZELVORA_ANNOUNCEMENT_WINDOW_FACTORY_IID)
