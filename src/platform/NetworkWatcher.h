#pragma once

#include <QDBusConnection>
#include <QObject>
#include <optional>

// Tells when the network goes and when it comes back. On Linux it follows NetworkManager over the
// system bus (QtDBus is loaded anyway; Qt's reachability plugins would load QtNetwork and GLib's
// network monitor with its thread, 3 MB for one signal); elsewhere Qt's reachability information.
// Without either it reports nothing and the network counts as there. Logs one line when the network
// goes.
class NetworkWatcher : public QObject
{
    Q_OBJECT
public:
    explicit NetworkWatcher(const QDBusConnection& systemBus, QObject* parent = nullptr);

    // Follows the system's reachability from now on; false when there is nothing to follow.
    bool watchSystem();
    bool isOnline() const { return m_online; }
    // What the system reports; only a change is passed on.
    void setOnline(bool online);
    // NetworkManager's state (NMState) read as online or not; nullopt for a doubtful one.
    static std::optional<bool> onlineIn(uint networkManagerState);

Q_SIGNALS:
    void wentOffline();
    void cameBack();

private Q_SLOTS:
    void networkManagerStateChanged(uint state);

private:
    QDBusConnection m_bus;
    bool m_online = true;
};
