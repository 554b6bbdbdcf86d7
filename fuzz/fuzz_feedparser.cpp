// Feeds arbitrary bytes to everything that reads portal or cache data: the page parser (both
// languages and sources), the two date forms, and the cache file decoder.
#include "fetch/AnnouncementCache.h"
#include "fetch/FeedParser.h"
#include "fetch/PortalDates.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ManualClock clock(Instant::fromUnixSeconds(1780000000));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const bool arabic = size % 2 == 1;
    const auto list = FeedParser::parseAnnouncementResponse(
        bytes, arabic ? QStringLiteral("market") : QStringLiteral("tadawul"),
        arabic ? QStringLiteral("ar") : QStringLiteral("en"), QStringLiteral("https://www.saudiexchange.sa"),
        clock);
    if (list) {
        // What the parser makes must survive the cache file: same count and dates, and the same texts
        // wherever they are valid Unicode (a lone surrogate cannot be written as UTF-8).
        const auto back = AnnouncementCache::decode(AnnouncementCache::encode(*list));
        if (!back || back->size() != list->size())
            __builtin_trap();
        for (qsizetype i = 0; i < list->size(); ++i) {
            const Announcement& a = list->at(i);
            const Announcement& b = back->at(i);
            if (a.pubDate() != b.pubDate() || a.companies().size() != b.companies().size())
                __builtin_trap();
            const bool valid = a.title().isValidUtf16() && a.description().isValidUtf16() &&
                               a.link().isValidUtf16() &&
                               std::all_of(a.companies().cbegin(), a.companies().cend(),
                                           [](const QString& symbol) { return symbol.isValidUtf16(); });
            if (valid && !(a == b))
                __builtin_trap();
        }
    }
    const QString text = QString::fromUtf8(bytes.left(64));
    PortalDates::parseNumeric(text);
    PortalDates::parseTimestamp(text);
    AnnouncementCache::decode(bytes);
    return 0;
}
