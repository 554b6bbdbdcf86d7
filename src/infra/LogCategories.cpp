#include "infra/LogCategories.h"

Q_LOGGING_CATEGORY(lcAnnouncementWindowLoader, "zelvora.announcementwindowloader", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBrowser, "zelvora.browser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcArchive, "zelvora.archive", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFetcher, "zelvora.fetcher", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNetwork, "zelvora.network", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNotificationManager, "zelvora.notificationmanager", QtInfoMsg)
Q_LOGGING_CATEGORY(lcOutbox, "zelvora.outbox", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPreferences, "zelvora.preferences", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "zelvora.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdater, "zelvora.updater", QtInfoMsg)
