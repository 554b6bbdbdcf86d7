#include "fetch/KeptList.h"

#include "fetch/AnnouncementCache.h"

#include <QSet>
#include <algorithm>

AnnouncementList KeptList::merge(const AnnouncementList& fetched, const AnnouncementList& kept, Instant now)
{
    AnnouncementList merged;
    merged.reserve(fetched.size() + kept.size());
    QSet<QString> ids;
    ids.reserve(fetched.size() + kept.size());
    for (const AnnouncementList* list : {&fetched, &kept}) {
        for (const Announcement& announcement : *list) {
            if (ids.contains(announcement.id()))
                continue;
            ids.insert(announcement.id());
            merged.append(announcement);
        }
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const Announcement& a, const Announcement& b) { return a.pubDate() > b.pubDate(); });
    merged.erase(
        std::remove_if(merged.begin(), merged.end(),
                       [now](const Announcement& a) { return !AnnouncementCache::isWithinWindow(a, now); }),
        merged.end());
    if (merged.size() > kCapacity)
        merged.resize(kCapacity);
    return merged;
}

std::optional<Announcement> KeptList::find(const AnnouncementList& list, const QString& id)
{
    for (const Announcement& announcement : list) {
        if (announcement.id() == id)
            return announcement;
    }
    return std::nullopt;
}
