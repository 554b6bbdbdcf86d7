#include "platform/gui/TrayNotificationBackend.h"

TrayNotificationBackend::TrayNotificationBackend(QSystemTrayIcon* icon, QObject* parent)
    : NotificationBackend(parent), m_icon(icon)
{
    if (!m_icon)
        return;
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] {
        if (!m_showing)
            return; // not a message of ours
        m_showing = false;
        Q_EMIT activated(m_shownData);
    });
}

bool TrayNotificationBackend::canShow() const
{
    return m_icon && m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable() &&
           QSystemTrayIcon::supportsMessages();
}

void TrayNotificationBackend::post(const NotificationRequest& request, Completion completion)
{
    if (!canShow()) {
        if (completion)
            completion(QStringLiteral("no notification service and no system tray to show it in"));
        return;
    }
    m_shownData = request.data;
    m_showing = true;
    m_icon->showMessage(request.title, request.body, QSystemTrayIcon::Information, kShowForMs);
    if (completion)
        completion({});
}

void TrayNotificationBackend::queryAvailability(AvailabilityHandler handler)
{
    handler(canShow(), {});
}
