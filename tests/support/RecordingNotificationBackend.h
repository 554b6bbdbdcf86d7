#pragma once

#include "notify/NotificationBackend.h"

#include <QList>

// The desktop's side of notifications: records what would be shown.
class RecordingNotificationBackend : public NotificationBackend
{
public:
    explicit RecordingNotificationBackend(QList<NotificationRequest>& posted) : m_posted(posted) {}
    void post(const NotificationRequest& request, Completion completion) override
    {
        m_posted.append(request);
        completion({});
    }
    void queryAvailability(AvailabilityHandler handler) override { handler(true, {}); }

private:
    QList<NotificationRequest>& m_posted;
};
