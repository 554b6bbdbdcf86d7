#pragma once

#include "context/AppEnvironment.h"

#include <functional>
#include <memory>

class AnnouncementFetcher;
class FeedFiles;
class NotificationBackend;
class NotificationManager;
class OutboxService;
class Preferences;
class TelemetryService;
class Updater;

// The services of one run of the program over the folders, portal and clock of its environment (the
// user's, or the demo's). Each is made on first use, after what it depends on, so a command makes only
// what it touches (`notifications status` starts no fetch thread). The tray program, `watch` and `poll`
// take references to them from here; nothing else makes them. Every poll's end rewrites the feed files
// for other readers with the kept announcements that would be notified, sends what the outbox holds
// for the outputs and, in a run that tells (the tray program, `watch`), notifies what is new.
class AppContext
{
public:
    using BackendFactory = std::function<std::unique_ptr<NotificationBackend>()>;

    // `teller`: who tells the user what is new (see AnnouncementFetcher::Options); empty for `poll`.
    // `notificationBackend`: none makes the desktop's (D-Bus); tests give a recording one.
    explicit AppContext(AppEnvironment environment, QString teller = QStringLiteral("tray"),
                        BackendFactory notificationBackend = {});
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    const AppEnvironment& environment() const { return m_environment; }
    const AppPaths& paths() const { return m_environment.paths; }
    const QString& portalOrigin() const { return m_environment.portalOrigin; }
    const Clock& clock() const { return *m_environment.clock; }

    Preferences& preferences();
    AnnouncementFetcher& fetcher();
    NotificationManager& notifications();
    TelemetryService& telemetry();
    Updater& updater();
    OutboxService& outbox();

private:
    AppEnvironment m_environment;
    QString m_teller;
    BackendFactory m_notificationBackend;
    // In the order they depend on each other, so each goes after those that use it.
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<NotificationManager> m_notifications;
    std::unique_ptr<FeedFiles> m_feedFiles;
    std::unique_ptr<AnnouncementFetcher> m_fetcher;
    std::unique_ptr<TelemetryService> m_telemetry;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<OutboxService> m_outbox;
};
