#pragma once

#include "infra/Clock.h"
#include "model/Announcement.h"

#include <QByteArray>
#include <QString>
#include <limits>
#include <optional>

// Turns one page of a portal feed (JSON) into announcements. Pure apart from reading the clock for
// undated items; logs one line per unusable document.
class FeedParser
{
public:
    // None when the document is unusable (not JSON, not an object, no "announcementList" array of
    // objects); an empty list is a valid answer. `origin` completes relative links. Records are made
    // for the first `maxItems` items only.
    static std::optional<AnnouncementList>
    parseAnnouncementResponse(const QByteArray& data, const QString& source, const QString& locale,
                              const QString& origin, const Clock& clock,
                              qsizetype maxItems = std::numeric_limits<qsizetype>::max());

    // 64-bit djb2 over the UTF-8 bytes (start 5381; h = h * 33 + byte, wrapping).
    static quint64 djb2(const QByteArray& bytes);
    // "se_" + the hash of "source|title|newsDateStr|announcementUrl" in lower-case hexadecimal.
    static QString fallbackIdentifier(const QString& source, const QString& title, const QString& newsDateStr,
                                      const QString& announcementUrl);
    // What one record may carry, far above any real announcement; longer texts are cut and end
    // in "…". They bound the cache file too (500 records).
    static constexpr qsizetype kMaxTitleLength = 1024;
    static constexpr qsizetype kMaxDescriptionLength = 8192;
    static constexpr qsizetype kMaxSymbolLength = 32;
    static constexpr qsizetype kMaxLinkLength = 2048; // a longer link becomes the origin

    // The absolute link of an item: origin when empty, locale switched for Arabic, then resolved as
    // a URL reference against the origin ("/path" gives origin + path as delivered); the origin when
    // the result is not an http(s) address.
    static QString completeLink(QString announcementUrl, const QString& locale, const QString& origin);
    // `text` itself, or its first maxLength - 1 code units (never half a surrogate pair) and "…".
    static QString capped(const QString& text, qsizetype maxLength);
};
