#pragma once

#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QObject>
#include <QVariantMap>

// What a finished poll reports: records new to the user, the whole kept list, and whether both feeds failed.
struct AnnouncementsUpdate
{
    AnnouncementList newAnnouncements;
    AnnouncementList all;
    bool error = false;
    PollStatus status; // after this poll
};
Q_DECLARE_METATYPE(AnnouncementsUpdate)

// The in-process broadcasts. Posting is allowed from any thread; observers always run on the main thread.
class Broadcaster : public QObject
{
    Q_OBJECT
public:
    static Broadcaster& shared();

    void postAnnouncementsUpdated(const AnnouncementsUpdate& update);
    // userInfo holds "id" and "link" (empty for the confirmation notification).
    void postOpenAnnouncement(const QVariantMap& userInfo);

Q_SIGNALS:
    void announcementsUpdated(const AnnouncementsUpdate& update);
    void openAnnouncement(const QVariantMap& userInfo);

private:
    Broadcaster();
};
