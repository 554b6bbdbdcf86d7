// The feed page: arbitrary bytes as a page of either feed in either language, and the two date forms
// the portal writes. What the parser makes must survive the cache file unchanged.
#include "FuzzSupport.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/FeedParser.h"
#include "fetch/PortalDates.h"
#include "support/ManualClock.h"

#include <algorithm>

namespace {
// A lone surrogate cannot be written as UTF-8, so only valid texts must come back exactly.
bool isValidText(const Announcement& a)
{
    return a.id().isValidUtf16() && a.title().isValidUtf16() && a.description().isValidUtf16() &&
           a.link().isValidUtf16() &&
           std::all_of(a.companies().cbegin(), a.companies().cend(),
                       [](const QString& s) { return s.isValidUtf16(); });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ManualClock clock(Instant::fromUnixSeconds(1780000000));
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const bool arabic = size % 2 == 1;
    const auto list = FeedParser::parseAnnouncementResponse(
        bytes, arabic ? QStringLiteral("market") : QStringLiteral("tadawul"),
        arabic ? QStringLiteral("ar") : QStringLiteral("en"), QStringLiteral("https://www.saudiexchange.sa"),
        clock);
    if (list) {
        const auto back = AnnouncementCache::decode(AnnouncementCache::encode(*list));
        if (!back || back->size() != list->size())
            FuzzSupport::fail("the parsed list does not come back from the cache file");
        for (qsizetype i = 0; i < list->size(); ++i) {
            const Announcement& a = list->at(i);
            const Announcement& b = back->at(i);
            if (a.pubDate() != b.pubDate() || a.companies().size() != b.companies().size())
                FuzzSupport::fail("a date or company list changed in the cache file");
            if (isValidText(a) && !(a == b))
                FuzzSupport::fail("an announcement changed in the cache file");
        }
    }
    const QString text = QString::fromUtf8(bytes.left(64));
    PortalDates::parseNumeric(text);
    PortalDates::parseTimestamp(text);
    return 0;
}
