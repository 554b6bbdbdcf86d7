#include "fetch/FeedFetcher.h"

#include "fetch/FeedParser.h"
#include "fetch/PortalClient.h"

#include <QSet>

const FeedSpec& FeedFetcher::issuerFeed()
{
    static const FeedSpec feed{
        QStringLiteral("tadawul"),
        50,
        5,
        QStringLiteral(
            "annoucmentType=1_-1&productType=&symbol=&advisorsList=-1&fromDate=&toDate=&datePeriod=&"
            "textSearch=&pageNumberDb="),
        QStringLiteral(
            "/wps/portal/saudiexchange/newsandreports/issuer-news/issuer-announcements/!ut/p/z1/"
            "lY9NDoIwFITPwgk6Qnity6fGggEBoYrdGFakiaIL4_kl7sCf4Owm-SYzI6yohe2ah2ubu7t2zbn3R0unkAl-"
            "pJAhqpYglJpMpWYrn8RhCKhUE4otF5kvQ-g9hP0rjzIPUazzNEiwgwZNy-OLeEK_HSIZz2W_"
            "YLPQccKBIjkGPlwclbx_eAE_Rt4uxtRwccue9wRUSy-z/p0/"
            "IZ7_5A602H80O0HTC060SG6UT81DI1=CZ6_5A602H80O0HTC060SG6UT81D26=NJgetAnnouncementListData=/"),
        QStringLiteral(
            "/wps/portal/saudiexchange/newsandreports/issuer-news/issuer-announcements/!ut/p/z1/"
            "lY9LDoIwGITPwgFMRwh_67JqLBgQKg-xG9OVaaJojPH8EnfgIzi7Sb7JzDDDGmZa-"
            "3BHe3eX1p46vzd0CCXBjwQyROUChEJRVYrp0ie26wMiVQS9kTrzeQhVg5m_"
            "8ijyEHqVp0GCLRRoXB5fJEf0mz6SyRnvFqznKk5"
            "kIIgPgQ8XByXvH17Aj5GFvbHruaoauHgiPe8J3gTxIA!!/p0/"
            "IZ7_5A602H80O0HTC060SG6UT81DI1=CZ6_5A602H80O0HTC060SG6UT81D26=NJgetAnnouncementListData=/"),
    };
    return feed;
}

const FeedSpec& FeedFetcher::marketFeed()
{
    static const FeedSpec feed{
        QStringLiteral("market"),
        50,
        3,
        QStringLiteral("annoucmentType=&symbol=&fromDate=&toDate=&datePeriod=&textSearch=&pageNumberDb="),
        QStringLiteral(
            "/wps/portal/saudiexchange/newsandreports/issuer-news/!ut/p/z1/"
            "04_Sj9CPykssy0xPLMnMz0vMAfIjo8ziTR3NDIw8LAz8_R0tzQ0C3byc3D19HI0tzMz1w1EVGAQHmAIVBPga-"
            "xgEGbgbmOlHEaPfAAdwNCCsPwpViYWvu5lBoJ9joL-RuamBe5gBugIsTgQrwOOGgtzQCINMT0UAXlg1HA!!/p0/"
            "IZ7_5A602H80O0TRC068TFQ7NN00C3=CZ6_5A602H80OOA970QFJBGILA3867=NJgetNewsListData=/"),
        QStringLiteral(
            "/wps/portal/saudiexchange/newsandreports/issuer-news/!ut/p/z1/"
            "04_Sj9CPykssy0xPLMnMz0vMAfIjo8ziTR3NDIw8LAz8_R0tzQ0C3byc3D19HI0tzMz1w1EVGAQHmAIVBPga-"
            "xgEGbgbmOlHEaPfAAdwNCCsPwpViYWvu5lBoJ9joL-RuamBe5gBugIsTgQrwOOG4MQi_YLc0AiDzIB0AAdsuwE!/p0/"
            "IZ7_5A602H80O0TRC068TFQ7NN00C3=CZ6_5A602H80OOA970QFJBGILA3867=NJgetNewsListData=/"),
    };
    return feed;
}

FeedFetcher::FeedFetcher(PortalClient& client, QString origin, const Clock& clock)
    : m_client(client), m_origin(std::move(origin)), m_clock(clock)
{
}

FetchResult FeedFetcher::fetchIssuerAnnouncements(const QString& locale)
{
    return fetchFeed(issuerFeed(), locale);
}

FetchResult FeedFetcher::fetchMarketNews(const QString& locale)
{
    return fetchFeed(marketFeed(), locale);
}

FetchResult FeedFetcher::fetchFeed(const FeedSpec& feed, const QString& locale)
{
    const QByteArray prefix = feed.bodyPrefix.toUtf8();
    return fetchPages(endpoint(feed, locale), feed.source, locale, feed.pageSize, feed.maxPages,
                      [&prefix](int page, int pageSize) {
                          return prefix + QByteArray::number(page) +
                                 "&pageSize=" + QByteArray::number(pageSize);
                      });
}

FetchResult FeedFetcher::fetchPages(const QString& urlString, const QString& source, const QString& locale,
                                    int pageSize, int maxPages, const BodyFunction& body)
{
    const QByteArray url = urlString.toUtf8();
    if (!PortalClient::isValidUrl(url))
        return {{}, FetchError::invalidURL()};

    FetchResult result;
    QSet<QString> seen;
    for (int page = 1;; ++page) {
        PortalClient::Result answer = m_client.post(url, body(page, pageSize));
        if (const QString* transportError = std::get_if<QString>(&answer))
            return {{}, FetchError::transport(*transportError)}; // earlier pages are lost too
        const PortalClient::Response& response = std::get<PortalClient::Response>(answer);
        if (response.status < 200 || response.status > 299) {
            if (page == 1)
                return {{}, FetchError::badStatus(static_cast<int>(response.status))};
            return result;
        }
        // A page holds at most `pageSize` records, however many items the portal sends: eight pages
        // of a hundred thousand would otherwise all be kept until the poll cuts them to 500.
        const auto records =
            FeedParser::parseAnnouncementResponse(response.body, source, locale, m_origin, m_clock, pageSize);
        if (!records) {
            if (page == 1)
                return {{}, FetchError::invalidPayload(source)};
            return result;
        }
        int added = 0;
        for (const Announcement& record : *records) {
            if (seen.contains(record.id()))
                continue;
            seen.insert(record.id());
            result.records.append(record);
            ++added;
        }
        if (records->size() < pageSize || added == 0 || page >= maxPages)
            return result;
    }
}
