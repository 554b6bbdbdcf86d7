#include "platform/SleepWatcher.h"

SleepWatcher::SleepWatcher(const QDBusConnection& bus, QObject* parent) : QObject(parent)
{
    if (!bus.isConnected())
        return;
    // QtDBus delivers bus signals to slots named by their signature only.
    QDBusConnection connection(bus);
    m_watching = connection.connect(QStringLiteral("org.freedesktop.login1"),
                                    QStringLiteral("/org/freedesktop/login1"),
                                    QStringLiteral("org.freedesktop.login1.Manager"),
                                    QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
}

void SleepWatcher::prepareForSleep(bool sleeping)
{
    if (!sleeping)
        Q_EMIT resumed();
}
