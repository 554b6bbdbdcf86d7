#pragma once

#include "notify/NotificationBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QStringList>
#include <deque>
#include <optional>

class QDBusPendingCallWatcher;

// Notifications through org.freedesktop.Notifications on the session bus. Calls are asynchronous
// and sent one at a time, so a second post for one identifier always knows the id to replace.
class DBusNotificationBackend : public NotificationBackend
{
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
    static inline const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
    static inline const QString kDefaultSound = QStringLiteral("message-new-instant");
    static inline const QString kMuteAction = QStringLiteral("mute");
    // Clicks are remembered for at most this many shown notifications (oldest forgotten first).
    static constexpr int kMaxTracked = 256;

    explicit DBusNotificationBackend(QDBusConnection connection = QDBusConnection::sessionBus(),
                                     QObject* parent = nullptr);

    void post(const NotificationRequest& request, Completion completion) override;
    void queryAvailability(AvailabilityHandler handler) override;

    int trackedCount() const { return static_cast<int>(m_posted.size()); }

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    struct Pending
    {
        NotificationRequest request;
        Completion completion;
    };
    struct Posted
    {
        QString identifier;
        QVariantMap data;
        QStringList symbols;
    };

    void sendNext();
    void sendNotify(const Pending& pending);
    void finishNotify(QDBusPendingCallWatcher* watcher, const Pending& pending);
    void forget(uint id);
    bool readsMarkup() const; // the server announced "body-markup"
    QString bodyFor(const QString& text) const;
    QString summaryFor(const QString& title) const;

    QDBusConnection m_connection;
    std::deque<Pending> m_queue;
    bool m_busy = false;
    std::optional<QStringList> m_capabilities; // asked once, before the first notification
    QHash<uint, Posted> m_posted;
    QHash<QString, uint> m_idByIdentifier;
    std::deque<uint> m_order; // posting order, for the bound on remembered notifications
};
