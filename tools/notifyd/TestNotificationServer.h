#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// A stand-in desktop notification service (org.freedesktop.Notifications) for tests: it records
// every call, shows nothing, and emits ActionInvoked / NotificationClosed on request. It uses a
// connection of its own, so a client in the same process talks to it through the bus like to a
// real desktop.
class TestNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
        uint returnedId = 0;
    };

    explicit TestNotificationServer(QObject* parent = nullptr);
    ~TestNotificationServer() override;

    // Takes the service name on a connection of its own; false when the bus or the name is not had.
    bool start();
    void stop();
    QString lastError() const { return m_lastError; }

    void setCapabilities(const QStringList& capabilities) { m_capabilities = capabilities; }
    const QList<Call>& calls() const { return m_calls; }
    int serverInformationCalls() const { return m_serverInformationCalls; }

    // What a click does on a desktop: the action, then the notification closes (reason 2).
    void invokeAction(uint id, const QString& actionKey = QStringLiteral("default"));
    void close(uint id, uint reason = 3);

public Q_SLOTS:
    Q_SCRIPTABLE QStringList GetCapabilities();
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                             const QString& summary, const QString& body, const QStringList& actions,
                             const QVariantMap& hints, int expireTimeout);
    Q_SCRIPTABLE void CloseNotification(uint id);
    Q_SCRIPTABLE QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

Q_SIGNALS:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    QString m_connectionName;
    QDBusConnection m_connection{QString()};
    bool m_started = false;
    QString m_lastError;
    QStringList m_capabilities{QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("sound")};
    QList<Call> m_calls;
    QList<uint> m_open;
    uint m_nextId = 1;
    int m_serverInformationCalls = 0;
};
