#include "model/Broadcaster.h"

#include <QCoreApplication>
#include <QThread>

Broadcaster& Broadcaster::shared()
{
    static Broadcaster* instance = [] {
        auto* broadcaster = new Broadcaster;
        if (auto* app = QCoreApplication::instance())
            broadcaster->moveToThread(app->thread());
        return broadcaster;
    }();
    return *instance;
}

Broadcaster::Broadcaster()
{
    qRegisterMetaType<AnnouncementsUpdate>();
}

void Broadcaster::postAnnouncementsUpdated(const AnnouncementsUpdate& update)
{
    QMetaObject::invokeMethod(
        this, [this, update] { Q_EMIT announcementsUpdated(update); }, Qt::QueuedConnection);
}

void Broadcaster::postOpenAnnouncement(const QVariantMap& userInfo)
{
    QMetaObject::invokeMethod(
        this, [this, userInfo] { Q_EMIT openAnnouncement(userInfo); }, Qt::QueuedConnection);
}
