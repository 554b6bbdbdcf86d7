#pragma once

#include "infra/SettingsStore.h"

#include <QString>

// The desktop has no permission for notifications, so the application keeps one of its own: "not
// determined" until the user has answered the start-up prompt, then whether a notification service
// answered. Kept in the UI state file, apart from the user's settings, so the next launch sees it.
class NotificationPermission
{
public:
    enum class Status { NotDetermined = 0, Denied = 1, Authorized = 2 };
    static inline const QString kKey = QStringLiteral("notificationAuthorization");

    explicit NotificationPermission(const QString& stateFile);

    Status status() const;
    void setStatus(Status status);

    static QString name(Status status); // "notDetermined", "denied", "authorized"

private:
    SettingsStore m_store;
};
