// The paging loop against the portal simulator on 127.0.0.1: the portal's exact request, its page
// limits and stop rules, and what a failing page costs.
#include "fetch/FeedFetcher.h"
#include "fetch/PortalClient.h"
#include "portalsim/PortalSimulator.h"

#include <QTest>

using namespace Qt::StringLiterals;

using portalsim::Fault;
using portalsim::Feed;
using portalsim::PortalSimulator;

Q_DECLARE_METATYPE(portalsim::Fault)

namespace {
// A raw page of `count` items numbered from `firstId`.
Fault page(int firstId, int count)
{
    std::string body = "{\"announcementList\":[";
    for (int i = 0; i < count; ++i)
        body += (i ? ",{\"PRESS_REL_ID\":" : "{\"PRESS_REL_ID\":") + std::to_string(firstId + i) + "}";
    return Fault{.body = Fault::Body::Raw, .rawBody = body + "]}"};
}

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}
} // namespace

class TestFeedFetcher : public QObject
{
    Q_OBJECT
    SystemClock m_clock;

    FetchResult fetch(PortalSimulator& sim, const FeedSpec& feed, const QString& locale = u"en"_s)
    {
        PortalClient client;
        FeedFetcher fetcher(client, text(sim.origin()), m_clock);
        return fetcher.fetchFeed(feed, locale);
    }

private Q_SLOTS:
    // The firewall's cookie must come back on the next page; nothing else may be added.
    void requestIsExactlyTheBrowsersRequest()
    {
        PortalSimulator sim({.issuerItems = 60, .marketItems = 0});
        QVERIFY(sim.start());
        sim.setCookie("TS01a2b3c4=0164d5; Path=/");
        const FetchResult result = fetch(sim, FeedFetcher::issuerFeed());
        QVERIFY(result.ok());
        QCOMPARE(result.records.size(), 60);

        const auto requests = sim.requests();
        QCOMPARE(requests.size(), size_t(2));
        QCOMPARE(text(requests[1].header("Cookie")), u"TS01a2b3c4=0164d5"_s);
        const portalsim::Request& request = requests.front();
        QCOMPARE(text(request.method), u"POST"_s);
        QCOMPARE(request.feed, Feed::IssuerEN);
        QCOMPARE(text(request.body), FeedFetcher::issuerFeed().bodyPrefix + u"1&pageSize=50"_s);

        QMap<QString, QString> headers;
        for (const auto& [name, value] : request.headers)
            headers.insert(text(name).toLower(), text(value));
        for (const auto& [name, value] : PortalClient::browserHeaders())
            QCOMPARE(headers.take(QString::fromLatin1(name).toLower()), QString::fromLatin1(value));
        // Only what HTTP itself needs remains: no Expect, Referer, Origin or Cookie of our own.
        QCOMPARE(headers.keys(), (QStringList{u"content-length"_s, u"host"_s}));
    }

    // Market news whose pages 1 to 3 hold items 1-50, 51-100 and 1000-1049, unless the row changes one.
    void pages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("error"); // empty: success
        const Fault html{.body = Fault::Body::HtmlPage};
        const QString ok;
        QTest::newRow("page 2 all repeats") << 2 << page(1, 50) << 2 << 50 << ok;
        QTest::newRow("page 2 partly new, stop after page 3") << 2 << page(11, 50) << 3 << 110 << ok;
        QTest::newRow("page 2 short") << 2 << page(51, 20) << 2 << 70 << ok;
        QTest::newRow("page 2 empty") << 2 << page(51, 0) << 2 << 50 << ok;
        QTest::newRow("page 2 of 100,000 items gives 50") << 2 << page(51, 100000) << 3 << 150 << ok;
        QTest::newRow("503 on page 1") << 1 << Fault{.status = 503} << 1 << 0 << u"badStatus(503)"_s;
        QTest::newRow("HTML on page 1") << 1 << html << 1 << 0 << u"invalidPayload(\"market\")"_s;
        QTest::newRow("503 on page 2 keeps page 1") << 2 << Fault{.status = 503} << 2 << 50 << ok;
        QTest::newRow("HTML on page 2 keeps page 1") << 2 << html << 2 << 50 << ok;
        QTest::newRow("dropped on page 3 loses all")
            << 3 << Fault{.body = Fault::Body::DropMidBody} << 3 << 0 << u"transport"_s;
    }

    void pages()
    {
        QFETCH(int, page);
        QFETCH(Fault, fault);
        QFETCH(int, requests);
        QFETCH(int, records);
        QFETCH(QString, error);
        PortalSimulator sim;
        QVERIFY(sim.start());
        sim.setFault(Feed::MarketEN, 1, ::page(1, 50));
        sim.setFault(Feed::MarketEN, 2, ::page(51, 50));
        sim.setFault(Feed::MarketEN, 3, ::page(1000, 50));
        sim.setFault(Feed::MarketEN, page, fault);
        const FetchResult result = fetch(sim, FeedFetcher::marketFeed());
        QCOMPARE(int(sim.requestCount()), requests);
        QSet<QString> ids;
        for (const Announcement& a : result.records)
            ids.insert(a.id());
        QCOMPARE(ids.size(), records); // repeats across pages are dropped
        QCOMPARE(result.records.size(), records);
        if (error.isEmpty())
            QVERIFY(result.ok());
        else
            QCOMPARE(result.error->kind() == FetchError::Kind::Transport ? u"transport"_s
                                                                         : result.error->description(),
                     error);
    }

    void invalidUrlMakesNoRequest()
    {
        PortalSimulator sim;
        QVERIFY(sim.start());
        PortalClient client;
        for (const QString& origin : {u"not a url"_s, u"ftp://127.0.0.1"_s, QString()}) {
            FeedFetcher fetcher(client, origin, m_clock);
            const FetchResult result = fetcher.fetchMarketNews(u"en"_s);
            QVERIFY(!result.ok());
            QCOMPARE(result.error->description(), u"invalidURL"_s);
        }
        QCOMPARE(sim.requestCount(), size_t(0));
    }

    void languageSelectsEndpoint()
    {
        PortalSimulator sim({.issuerItems = 0, .marketItems = 5});
        QVERIFY(sim.start());
        for (const auto& [language, feed] :
             {std::pair{"ar", Feed::MarketAR}, {"en", Feed::MarketEN}, {"fr", Feed::MarketEN}}) {
            sim.clearRequests();
            const FetchResult result = fetch(sim, FeedFetcher::marketFeed(), QString::fromLatin1(language));
            QVERIFY(result.ok());
            QCOMPARE(*sim.requests().front().feed, feed);
            QVERIFY(result.records.first().link().startsWith(text(sim.origin()) + u"/wps/"_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestFeedFetcher)
#include "tst_feedfetcher.moc"
