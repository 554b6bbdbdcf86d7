#pragma once

#include "fetch/AnnouncementFetcher.h"
#include "infra/AppPaths.h"
#include "model/Preferences.h"
#include "notify/NotificationManager.h"
#include "outputs/OutboxService.h"
#include "syndication/FeedFiles.h"
#include "telemetry/TelemetryService.h"
#include "update/Updater.h"

// The services of one run of the program, made in the order they depend on each other over the
// folders, portal and clock the command runs against (the user's, or the demo's). Commands and the
// tray program take references to them from here; nothing else makes them. Every poll's end rewrites
// the feed files for other readers with the kept announcements that would be notified, and sends
// what the outbox holds for the outputs.
class AppContext
{
public:
    // `teller`: who tells the user what is new (see AnnouncementFetcher::Options); empty for `poll`.
    AppContext(AppPaths paths, QString portalOrigin, const Clock& clock,
               QString teller = QStringLiteral("tray"));

    const AppPaths& paths() const { return m_paths; }
    const QString& portalOrigin() const { return m_portalOrigin; }
    const Clock& clock() const { return m_clock; }
    Preferences& preferences() { return m_preferences; }
    AnnouncementFetcher& fetcher() { return m_fetcher; }
    NotificationManager& notifications() { return m_notifications; }
    TelemetryService& telemetry() { return m_telemetry; }
    Updater& updater() { return m_updater; }
    OutboxService& outbox() { return m_outbox; }

private:
    AppPaths m_paths;
    QString m_portalOrigin;
    const Clock& m_clock;
    Preferences m_preferences;
    AnnouncementFetcher m_fetcher;
    NotificationManager m_notifications;
    TelemetryService m_telemetry;
    Updater m_updater;
    FeedFiles m_feedFiles;
    OutboxService m_outbox;
};
