#include "model/AnnouncementEmoji.h"

#include "model/AnnouncementCategory.h"

QString AnnouncementEmoji::forAnnouncement(const Announcement& announcement)
{
    return AnnouncementCategory::emoji(AnnouncementCategory::of(announcement));
}
