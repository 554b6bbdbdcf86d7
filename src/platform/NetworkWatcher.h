#pragma once

#include <QObject>

// Tells when the network goes and when it comes back, from Qt's reachability information where a
// backend exists (NetworkManager, GLib's network monitor). Without one it reports nothing and the
// network counts as there. Logs one line when the network goes.
class NetworkWatcher : public QObject
{
    Q_OBJECT
public:
    explicit NetworkWatcher(QObject* parent = nullptr);

    // Follows the system's reachability from now on; false when no backend could be loaded.
    bool watchSystem();
    bool isOnline() const { return m_online; }
    // What the system reports; only a change is passed on.
    void setOnline(bool online);

Q_SIGNALS:
    void wentOffline();
    void cameBack();

private:
    bool m_online = true;
};
