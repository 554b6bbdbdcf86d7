// The cache file as read at start: whatever decodes must encode to a file that decodes to the same list,
// and encoding that list again must give the same bytes.
#include "FuzzSupport.h"
#include "fetch/AnnouncementCache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto list = AnnouncementCache::decode(FuzzSupport::bytes(data, size));
    if (!list)
        return 0;
    const QByteArray encoded = AnnouncementCache::encode(*list);
    const auto back = AnnouncementCache::decode(encoded);
    if (!back)
        FuzzSupport::fail("the written cache file does not decode");
    if (back->size() != list->size())
        FuzzSupport::fail("the written cache file has another count");
    for (qsizetype i = 0; i < list->size(); ++i) {
        const Announcement& a = list->at(i);
        if (a.pubDate() != back->at(i).pubDate() || a.companies().size() != back->at(i).companies().size())
            FuzzSupport::fail("a date or company list changed");
    }
    if (AnnouncementCache::encode(*back) != encoded)
        FuzzSupport::fail("writing the list read back gives other bytes");
    return 0;
}
