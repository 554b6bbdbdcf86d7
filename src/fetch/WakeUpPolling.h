#pragma once

#include "platform/NetworkWatcher.h"
#include "platform/SleepWatcher.h"

#include <QObject>

class AnnouncementFetcher;

// Fresh news right after the lid opens: the fetcher polls at once when the system resumes from sleep
// or the network comes back, then keeps its interval; while the network is gone, failing polls stay
// quiet.
class WakeUpPolling : public QObject
{
    Q_OBJECT
public:
    // `systemBus` is where logind and NetworkManager are (the system bus; tests pass a private one).
    WakeUpPolling(AnnouncementFetcher& fetcher, const QDBusConnection& systemBus, QObject* parent = nullptr);

    // Follows the system's network reachability (see NetworkWatcher).
    bool watchSystemNetwork() { return m_network.watchSystem(); }

    SleepWatcher& sleepWatcher() { return m_sleep; }
    NetworkWatcher& networkWatcher() { return m_network; }

private:
    SleepWatcher m_sleep;
    NetworkWatcher m_network;
};
