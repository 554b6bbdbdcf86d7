#include "TestNotificationServer.h"

#include <QDBusConnectionInterface>
#include <QUuid>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

TestNotificationServer::TestNotificationServer(QObject* parent)
    : QObject(parent), m_connectionName(QStringLiteral("test-notification-server-") +
                                        QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

TestNotificationServer::~TestNotificationServer()
{
    stop();
}

bool TestNotificationServer::start()
{
    if (m_started)
        return true;
    m_connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connectionName);
    if (!m_connection.isConnected()) {
        m_lastError = m_connection.lastError().message();
        return false;
    }
    if (!m_connection.registerObject(
            kPath, this, QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        m_lastError = QStringLiteral("could not register the object");
        return false;
    }
    if (!m_connection.registerService(kService)) {
        m_lastError = m_connection.lastError().message();
        m_connection.unregisterObject(kPath);
        return false;
    }
    m_started = true;
    return true;
}

void TestNotificationServer::stop()
{
    if (!m_started)
        return;
    m_connection.unregisterService(kService);
    m_connection.unregisterObject(kPath);
    QDBusConnection::disconnectFromBus(m_connectionName);
    m_connection = QDBusConnection(QString());
    m_started = false;
}

QStringList TestNotificationServer::GetCapabilities()
{
    return m_capabilities;
}

uint TestNotificationServer::Notify(const QString& appName, uint replacesId, const QString& appIcon,
                                    const QString& summary, const QString& body, const QStringList& actions,
                                    const QVariantMap& hints, int expireTimeout)
{
    uint id = 0;
    if (replacesId != 0 && m_open.contains(replacesId)) {
        id = replacesId;
    } else {
        id = m_nextId++;
        m_open.append(id);
    }
    Call call{appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout, id};
    m_calls.append(call);
    return id;
}

void TestNotificationServer::CloseNotification(uint id)
{
    close(id, 3);
}

QString TestNotificationServer::GetServerInformation(QString& vendor, QString& version, QString& specVersion)
{
    ++m_serverInformationCalls;
    vendor = QStringLiteral("Zelvora tests");
    version = QStringLiteral("1.0");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("zelvora-test-notifyd");
}

void TestNotificationServer::invokeAction(uint id, const QString& actionKey)
{
    Q_EMIT ActionInvoked(id, actionKey);
    close(id, 2);
}

void TestNotificationServer::close(uint id, uint reason)
{
    if (!m_open.removeOne(id))
        return;
    Q_EMIT NotificationClosed(id, reason);
}
