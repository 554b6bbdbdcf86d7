#include "fetch/WakeUpPolling.h"

#include "fetch/AnnouncementFetcher.h"

WakeUpPolling::WakeUpPolling(AnnouncementFetcher& fetcher, const QDBusConnection& systemBus, QObject* parent)
    : QObject(parent), m_sleep(systemBus), m_network(systemBus)
{
    connect(&m_sleep, &SleepWatcher::resumed, &fetcher, &AnnouncementFetcher::wakeUp);
    connect(&m_network, &NetworkWatcher::cameBack, &fetcher, [&fetcher] {
        fetcher.setNetworkOnline(true);
        fetcher.wakeUp();
    });
    connect(&m_network, &NetworkWatcher::wentOffline, &fetcher,
            [&fetcher] { fetcher.setNetworkOnline(false); });
}
