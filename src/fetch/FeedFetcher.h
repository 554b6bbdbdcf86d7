#pragma once

#include "fetch/FetchError.h"
#include "infra/Clock.h"
#include "model/Announcement.h"

#include <functional>
#include <optional>

class PortalClient;

// The records of one feed, or why there are none.
struct FetchResult
{
    AnnouncementList records;
    std::optional<FetchError> error;
    bool ok() const { return !error; }
};

// One feed of the portal: its endpoint per language, source tag, page size, page limit and form body.
struct FeedSpec
{
    QString source;
    int pageSize;
    int maxPages;
    QString bodyPrefix;
    QString pathEN;
    QString pathAR;
    QString path(const QString& locale) const { return locale == QLatin1String("ar") ? pathAR : pathEN; }
};

// Fetches a feed page by page. Runs on the thread that owns the client; pages go strictly one after
// another and repeats within a feed are dropped.
class FeedFetcher
{
public:
    using BodyFunction = std::function<QByteArray(int page, int pageSize)>;

    static const FeedSpec& issuerFeed();
    static const FeedSpec& marketFeed();

    FeedFetcher(PortalClient& client, QString origin, const Clock& clock);

    QString endpoint(const FeedSpec& feed, const QString& locale) const
    {
        return m_origin + feed.path(locale);
    }

    FetchResult fetchIssuerAnnouncements(const QString& locale);
    FetchResult fetchMarketNews(const QString& locale);
    FetchResult fetchFeed(const FeedSpec& feed, const QString& locale);
    FetchResult fetchPages(const QString& urlString, const QString& source, const QString& locale,
                           int pageSize, int maxPages, const BodyFunction& body);

private:
    PortalClient& m_client;
    QString m_origin;
    const Clock& m_clock;
};
