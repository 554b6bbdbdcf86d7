#pragma once

#include "notify/NotificationBackend.h"

#include <QPointer>
#include <QSystemTrayIcon>

// The tray program's stand-in when no notification service is on the session bus: the tray icon's
// own message balloon. It shows one message at a time, so a click belongs to the last one shown.
class TrayNotificationBackend : public NotificationBackend
{
    Q_OBJECT
public:
    static constexpr int kShowForMs = 10000;

    explicit TrayNotificationBackend(QSystemTrayIcon* icon, QObject* parent = nullptr);

    void post(const NotificationRequest& request, Completion completion) override;
    void queryAvailability(AvailabilityHandler handler) override;

private:
    bool canShow() const;

    QPointer<QSystemTrayIcon> m_icon;
    QVariantMap m_shownData;
    bool m_showing = false;
};
