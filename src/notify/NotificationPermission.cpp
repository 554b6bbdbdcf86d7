#include "notify/NotificationPermission.h"

NotificationPermission::NotificationPermission(const QString& stateFile) : m_store(stateFile) {}

QString NotificationPermission::name(Status status)
{
    switch (status) {
    case Status::Authorized:
        return QStringLiteral("authorized");
    case Status::Denied:
        return QStringLiteral("denied");
    case Status::NotDetermined:
        break;
    }
    return QStringLiteral("notDetermined");
}

NotificationPermission::Status NotificationPermission::status() const
{
    const QString stored = m_store.value(kKey).toString();
    if (stored == name(Status::Authorized))
        return Status::Authorized;
    if (stored == name(Status::Denied))
        return Status::Denied;
    return Status::NotDetermined;
}

void NotificationPermission::setStatus(Status status)
{
    if (status == Status::NotDetermined)
        m_store.remove(kKey);
    else
        m_store.setValue(kKey, name(status));
}
