#include "model/AnnouncementHeadline.h"

QString AnnouncementHeadline::of(const Announcement& announcement)
{
    const QString title = announcement.displayTitle();
    const QString description = announcement.strippedDescription().simplified();
    return description.startsWith(title) ? description.mid(title.size()).trimmed() : description;
}
