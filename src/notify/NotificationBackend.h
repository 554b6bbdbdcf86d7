#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// One desktop notification as the application describes it, independent of how it is shown.
struct NotificationRequest
{
    QString identifier; // posting again with the same identifier replaces the earlier notification
    QString title;
    QString body; // plain text
    QVariantMap data;
    bool urgent = false;      // stays on screen until dismissed
    QStringList symbols = {}; // the announcement's companies: offers "Mute This Company Today"
};

// Where notifications are shown: the desktop's notification service, or a stand-in.
class NotificationBackend : public QObject
{
    Q_OBJECT
public:
    // Called once per post, on the backend's thread: an empty text means delivered.
    using Completion = std::function<void(const QString& error)>;
    // available: a notification service answered; error: set when the question itself failed.
    using AvailabilityHandler = std::function<void(bool available, const QString& error)>;

    using QObject::QObject;

    // Hands the request over and returns at once.
    virtual void post(const NotificationRequest& request, Completion completion) = 0;
    virtual void queryAvailability(AvailabilityHandler handler) = 0;

Q_SIGNALS:
    // The user clicked one of the notifications this backend posted; carries its user info.
    void activated(const QVariantMap& data);
    // The user chose "Mute This Company Today" on one of them; carries its symbols.
    void muteRequested(const QStringList& symbols);
};
