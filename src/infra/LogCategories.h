#pragma once

#include <QLoggingCategory>

// One category per component that logs, named "zelvora." and the component in lower case; its lines
// read "[Component] message" (see LogOutput). QT_LOGGING_RULES silences or enables them.
Q_DECLARE_LOGGING_CATEGORY(lcAnnouncementWindowLoader)
Q_DECLARE_LOGGING_CATEGORY(lcArchive)
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)
Q_DECLARE_LOGGING_CATEGORY(lcFetcher)
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
Q_DECLARE_LOGGING_CATEGORY(lcNotificationManager)
Q_DECLARE_LOGGING_CATEGORY(lcOutbox)
Q_DECLARE_LOGGING_CATEGORY(lcPreferences)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcUpdater)
