#pragma once

#include "windows/module/AnnouncementWindowFactory.h"

#include <QObject>

// The plugin in libzelvora-web.so that the tray program loads on first use.
class AnnouncementWindowModule : public QObject, public AnnouncementWindowFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ZELVORA_ANNOUNCEMENT_WINDOW_FACTORY_IID)
    Q_INTERFACES(AnnouncementWindowFactory)

public:
    QWidget* createAnnouncementWindow(const Announcement& announcement,
                                      const AnnouncementWindow::Services& services) override;
};
