#include "notify/NotificationAuthorization.h"

NotificationAuthorization::NotificationAuthorization(const QString& stateFile) : m_store(stateFile) {}

QString NotificationAuthorization::name(Status status)
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

NotificationAuthorization::Status NotificationAuthorization::status() const
{
    const QString stored = m_store.value(kKey).toString();
    if (stored == name(Status::Authorized))
        return Status::Authorized;
    if (stored == name(Status::Denied))
        return Status::Denied;
    return Status::NotDetermined;
}

void NotificationAuthorization::setStatus(Status status)
{
    if (status == Status::NotDetermined)
        m_store.remove(kKey);
    else
        m_store.setValue(kKey, name(status));
}
