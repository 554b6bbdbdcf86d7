#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

// Tells the service manager how the program runs when systemd started it as a notify service: ready,
// a status line, stopping, and watchdog pings at half the time-out systemd asked for, from the event
// loop, so a hung loop stops them. Without a service manager (no NOTIFY_SOCKET) or in a build without
// libsystemd it does nothing.
class ServiceNotifier : public QObject
{
    Q_OBJECT
public:
    explicit ServiceNotifier(QObject* parent = nullptr);

    // The watchdog time-out systemd gave this process (WATCHDOG_USEC), zero when none.
    static std::chrono::microseconds watchdogTimeout();

    void notifyReady(); // the first call only
    void notifyStatus(const QString& text);
    void notifyStopping();

private:
    static void send(const QByteArray& state);

    QTimer m_watchdog;
    bool m_ready = false;
};
