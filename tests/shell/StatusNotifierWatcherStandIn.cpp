#include "StatusNotifierWatcherStandIn.h"

#include <QDBusConnection>
#include <QDBusMessage>

bool StatusNotifierWatcherStandIn::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties |
                                  QDBusConnection::ExportAllSignals) &&
           bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

void StatusNotifierWatcherStandIn::RegisterStatusNotifierItem(const QString& serviceOrPath)
{
    // Items pass either their bus name or an object path on the caller's connection.
    const QString item = serviceOrPath.startsWith(QLatin1Char('/'))
                             ? message().service() + serviceOrPath
                             : serviceOrPath + QStringLiteral("/StatusNotifierItem");
    m_items.append(item);
    Q_EMIT StatusNotifierItemRegistered(item);
}

QString StatusNotifierWatcherStandIn::itemService() const
{
    return m_items.isEmpty() ? QString() : m_items.first().section(QLatin1Char('/'), 0, 0);
}

QString StatusNotifierWatcherStandIn::itemPath() const
{
    return m_items.isEmpty() ? QString() : QLatin1Char('/') + m_items.first().section(QLatin1Char('/'), 1);
}
