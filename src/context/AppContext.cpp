#include "context/AppContext.h"

#include "notify/DBusNotificationBackend.h"

#include <algorithm>
#include <iterator>

AppContext::AppContext(AppPaths paths, QString portalOrigin, const Clock& clock, QString teller)
    : m_paths(std::move(paths)), m_portalOrigin(std::move(portalOrigin)), m_clock(clock),
      m_preferences(m_paths.settingsFile(), m_portalOrigin),
      m_fetcher(m_preferences, m_clock, {m_paths.cacheDirectory(), m_portalOrigin, 60000, teller}),
      m_notifications(m_preferences, std::make_unique<DBusNotificationBackend>(), m_paths.uiStateFile(),
                      m_clock),
      m_telemetry(m_preferences.store(), TelemetryService::endpointFromEnvironment()),
      m_updater(Updater::appcastUrlFromEnvironment()), m_feedFiles(m_paths.cacheDirectory(), m_portalOrigin),
      m_outbox(m_paths.cacheDirectory(), m_paths.settingsFile(), teller, m_clock)
{
    // Connected first, so the files are written before any other listener (a one-shot poll quits).
    QObject::connect(&m_fetcher, &AnnouncementFetcher::pollFinished, &m_fetcher,
                     [this](const AnnouncementsUpdate& update) {
                         AnnouncementList notified;
                         std::copy_if(update.all.cbegin(), update.all.cend(), std::back_inserter(notified),
                                      [this](const Announcement& announcement) {
                                          return m_notifications.wouldNotify(announcement);
                                      });
                         m_feedFiles.write(notified, m_preferences.language(), m_clock.now());
                         if (!m_preferences.outputs().isEmpty())
                             m_outbox.deliver();
                     });
    QObject::connect(
        &m_outbox, &OutboxService::refused, &m_fetcher,
        [this](const QString& output, const QString& detail) { m_fetcher.setOutputRefusal(output, detail); });
    QObject::connect(&m_outbox, &OutboxService::delivered, &m_fetcher,
                     [this](const QString& output) { m_fetcher.setOutputRefusal(output, {}); });
}
