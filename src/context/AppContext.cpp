#include "context/AppContext.h"

#include "fetch/AnnouncementFetcher.h"
#include "model/Preferences.h"
#include "notify/DBusNotificationBackend.h"
#include "notify/NotificationManager.h"
#include "outputs/OutboxService.h"
#include "syndication/FeedFiles.h"
#include "telemetry/TelemetryService.h"
#include "update/Updater.h"

#include <algorithm>
#include <iterator>

namespace {
constexpr long kRequestTimeoutMs = 60000;
}

AppContext::AppContext(AppEnvironment environment, QString teller, BackendFactory notificationBackend)
    : m_environment(std::move(environment)), m_teller(std::move(teller)),
      m_notificationBackend(std::move(notificationBackend))
{
}

AppContext::~AppContext() = default;

Preferences& AppContext::preferences()
{
    if (!m_preferences)
        m_preferences = std::make_unique<Preferences>(
            paths().settingsFile(),
            Preferences::minimumPollInterval(portalOrigin(), m_environment.minimumPollInterval));
    return *m_preferences;
}

NotificationManager& AppContext::notifications()
{
    if (!m_notifications) {
        std::unique_ptr<NotificationBackend> backend =
            m_notificationBackend ? m_notificationBackend() : std::make_unique<DBusNotificationBackend>();
        m_notifications = std::make_unique<NotificationManager>(preferences(), std::move(backend),
                                                                paths().uiStateFile(), clock());
    }
    return *m_notifications;
}

AnnouncementFetcher& AppContext::fetcher()
{
    if (m_fetcher)
        return *m_fetcher;
    m_fetcher = std::make_unique<AnnouncementFetcher>(
        preferences(), clock(),
        AnnouncementFetcher::Options{paths().cacheDirectory(), portalOrigin(), kRequestTimeoutMs, m_teller});
    m_feedFiles = std::make_unique<FeedFiles>(paths().cacheDirectory(), portalOrigin());
    // Connected first, so the files are written before any other listener (a one-shot poll quits).
    QObject::connect(m_fetcher.get(), &AnnouncementFetcher::pollFinished, m_fetcher.get(),
                     [this](const AnnouncementsUpdate& update) {
                         AnnouncementList notified;
                         std::copy_if(update.all.cbegin(), update.all.cend(), std::back_inserter(notified),
                                      [this](const Announcement& announcement) {
                                          return notifications().wouldNotify(announcement);
                                      });
                         m_feedFiles->write(notified, preferences().language(), clock().now());
                         if (!preferences().outputs().isEmpty())
                             outbox().deliver();
                     });
    // The run that tells is the one that took what is owed from the archive.
    if (!m_teller.isEmpty())
        QObject::connect(m_fetcher.get(), &AnnouncementFetcher::pollFinished, m_fetcher.get(),
                         [this](const AnnouncementsUpdate& update) {
                             notifications().tell(update.newAnnouncements, update.since, update.released);
                         });
    return *m_fetcher;
}

TelemetryService& AppContext::telemetry()
{
    if (!m_telemetry)
        m_telemetry = std::make_unique<TelemetryService>(preferences(), m_environment.telemetryEndpoint,
                                                         m_environment.doNotTrack);
    return *m_telemetry;
}

Updater& AppContext::updater()
{
    if (!m_updater)
        m_updater = std::make_unique<Updater>(m_environment.appcastUrl);
    return *m_updater;
}

OutboxService& AppContext::outbox()
{
    if (m_outbox)
        return *m_outbox;
    AnnouncementFetcher& polls = fetcher();
    m_outbox =
        std::make_unique<OutboxService>(paths().cacheDirectory(), paths().settingsFile(), m_teller, clock());
    // A refusal is told once, with the poll status; a later delivery to that output clears it.
    QObject::connect(
        m_outbox.get(), &OutboxService::refused, &polls,
        [&polls](const QString& output, const QString& detail) { polls.setOutputRefusal(output, detail); });
    QObject::connect(m_outbox.get(), &OutboxService::delivered, &polls,
                     [&polls](const QString& output) { polls.setOutputRefusal(output, {}); });
    return *m_outbox;
}
