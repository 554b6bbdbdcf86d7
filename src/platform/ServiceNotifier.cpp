#include "platform/ServiceNotifier.h"

#include <algorithm>

#if defined(ZELVORA_HAVE_SYSTEMD)
#include <systemd/sd-daemon.h>
#endif

ServiceNotifier::ServiceNotifier(QObject* parent) : QObject(parent)
{
    const std::chrono::microseconds timeout = watchdogTimeout();
    if (timeout.count() <= 0)
        return;
    // Half the time-out, whatever the poll interval; never a busy loop for a tiny one.
    m_watchdog.setInterval(std::max(std::chrono::milliseconds(10),
                                    std::chrono::duration_cast<std::chrono::milliseconds>(timeout / 2)));
    connect(&m_watchdog, &QTimer::timeout, this, [] { send("WATCHDOG=1"); });
    m_watchdog.start();
}

std::chrono::microseconds ServiceNotifier::watchdogTimeout()
{
#if defined(ZELVORA_HAVE_SYSTEMD)
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0)
        return std::chrono::microseconds(usec);
#endif
    return std::chrono::microseconds(0);
}

void ServiceNotifier::notifyReady()
{
    if (m_ready)
        return;
    m_ready = true;
    send("READY=1");
}

void ServiceNotifier::notifyStatus(const QString& text)
{
    // One line: the state is a newline-separated list of assignments.
    send("STATUS=" + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8());
}

void ServiceNotifier::notifyStopping()
{
    m_watchdog.stop();
    send("STOPPING=1");
}

void ServiceNotifier::send([[maybe_unused]] const QByteArray& state)
{
#if defined(ZELVORA_HAVE_SYSTEMD)
    sd_notify(0, state.constData());
#endif
}
