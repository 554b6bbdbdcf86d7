#pragma once

#include <QString>

// Names of the in-process broadcasts.
struct AppNotification
{
    static inline const QString announcementsUpdated = QStringLiteral("announcementsUpdated");
    static inline const QString openAnnouncement = QStringLiteral("openAnnouncement");
    static inline const QString openSettings = QStringLiteral("openSettings");
};
