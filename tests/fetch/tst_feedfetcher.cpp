// The paging loop and the HTTP client against the portal simulator on 127.0.0.1.
#include "fetch/FeedFetcher.h"
#include "fetch/PortalClient.h"
#include "portalsim/PortalSimulator.h"

#include <QTest>

using portalsim::Fault;
using portalsim::Feed;
using portalsim::PortalSimulator;

namespace {
std::string rawPage(int firstId, int count)
{
    std::string body = "{\"announcementList\":[";
    for (int i = 0; i < count; ++i)
        body += (i ? ",{\"PRESS_REL_ID\":" : "{\"PRESS_REL_ID\":") + std::to_string(firstId + i) + "}";
    return body + "]}";
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

    FetchResult fetch(PortalSimulator& sim, const FeedSpec& feed,
                      const QString& locale = QStringLiteral("en"))
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
        QCOMPARE(text(requests[1].header("Cookie")), QStringLiteral("TS01a2b3c4=0164d5"));
        const portalsim::Request& request = requests.front();
        QCOMPARE(text(request.method), QStringLiteral("POST"));
        QCOMPARE(request.feed, Feed::IssuerEN);
        QCOMPARE(text(request.body), FeedFetcher::issuerFeed().bodyPrefix + QStringLiteral("1&pageSize=50"));

        QMap<QString, QString> headers;
        for (const auto& [name, value] : request.headers)
            headers.insert(text(name).toLower(), text(value));
        for (const auto& [name, value] : PortalClient::browserHeaders())
            QCOMPARE(headers.take(QString::fromLatin1(name).toLower()), QString::fromLatin1(value));
        // Only what HTTP itself needs remains: no Expect, Referer, Origin or Cookie of our own.
        QCOMPARE(headers.keys(), (QStringList{QStringLiteral("content-length"), QStringLiteral("host")}));
    }

    void pageLimitsAndOrder_data()
    {
        QTest::addColumn<bool>("issuer");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("records");
        QTest::newRow("issuer stops after page 5") << true << 5 << 250;
        QTest::newRow("market stops after page 3") << false << 3 << 150;
    }

    void pageLimitsAndOrder()
    {
        QFETCH(bool, issuer);
        QFETCH(int, requests);
        QFETCH(int, records);
        PortalSimulator sim({.issuerItems = 400, .marketItems = 400});
        QVERIFY(sim.start());
        const FeedSpec& feed = issuer ? FeedFetcher::issuerFeed() : FeedFetcher::marketFeed();
        const FetchResult result = fetch(sim, feed);
        QVERIFY(result.ok());
        QCOMPARE(result.records.size(), records);
        QCOMPARE(int(sim.requestCount()), requests);
        QCOMPARE(sim.requests().back().page, requests);
        // Portal order is kept: newest first, pages in order.
        const auto items = sim.items(issuer);
        QVERIFY(result.records.last().link().contains(QString::number(items[records - 1].number)));
    }

    void stopRules_data()
    {
        QTest::addColumn<int>("page2First"); // first id on page 2 (page 1 holds 1..50)
        QTest::addColumn<int>("page2Count");
        QTest::addColumn<int>("expectedRequests");
        QTest::addColumn<int>("expectedRecords");
        QTest::newRow("page 2 all repeats") << 1 << 50 << 2 << 50;
        QTest::newRow("page 2 with 10 new") << 11 << 50 << 3 << 60 + 50;
        QTest::newRow("page 2 short") << 51 << 20 << 2 << 70;
        QTest::newRow("page 2 empty") << 51 << 0 << 2 << 50;
    }

    void stopRules()
    {
        QFETCH(int, page2First);
        QFETCH(int, page2Count);
        QFETCH(int, expectedRequests);
        QFETCH(int, expectedRecords);
        PortalSimulator sim;
        QVERIFY(sim.start());
        const auto raw = [](std::string body) {
            return Fault{.body = Fault::Body::Raw, .rawBody = std::move(body)};
        };
        sim.setFault(Feed::MarketEN, 1, raw(rawPage(1, 50)));
        sim.setFault(Feed::MarketEN, 2, raw(rawPage(page2First, page2Count)));
        sim.setFault(Feed::MarketEN, 3, raw(rawPage(1000, 50)));
        const FetchResult result = fetch(sim, FeedFetcher::marketFeed());
        QVERIFY(result.ok());
        QCOMPARE(int(sim.requestCount()), expectedRequests);
        QCOMPARE(result.records.size(), expectedRecords);
        QSet<QString> ids;
        for (const Announcement& a : result.records)
            ids.insert(a.id());
        QCOMPARE(ids.size(), expectedRecords);
    }

    void failures_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("body");      // Fault::Body
        QTest::addColumn<QString>("error"); // empty = success
        QTest::addColumn<int>("records");
        using B = Fault::Body;
        QTest::newRow("503 on page 1") << 1 << 503 << int(B::Normal) << QStringLiteral("badStatus(503)") << 0;
        QTest::newRow("503 on page 3") << 3 << 503 << int(B::Normal) << QString() << 100;
        QTest::newRow("HTML on page 1")
            << 1 << 200 << int(B::HtmlPage) << QStringLiteral("invalidPayload(\"tadawul\")") << 0;
        QTest::newRow("HTML on page 2") << 2 << 200 << int(B::HtmlPage) << QString() << 50;
        QTest::newRow("dropped on page 3 loses all")
            << 3 << 200 << int(B::DropMidBody) << QStringLiteral("transport") << 0;
    }

    void failures()
    {
        QFETCH(int, page);
        QFETCH(int, status);
        QFETCH(int, body);
        QFETCH(QString, error);
        QFETCH(int, records);
        PortalSimulator sim;
        QVERIFY(sim.start());
        sim.setFault(Feed::IssuerEN, page, Fault{.status = status, .body = static_cast<Fault::Body>(body)});
        const FetchResult result = fetch(sim, FeedFetcher::issuerFeed());
        QCOMPARE(result.records.size(), records);
        QCOMPARE(int(sim.requestCount()), page);
        if (error.isEmpty()) {
            QVERIFY(result.ok());
        } else if (error == QLatin1String("transport")) {
            QVERIFY(!result.ok());
            QCOMPARE(result.error->kind(), FetchError::Kind::Transport);
            QVERIFY(!result.error->description().isEmpty());
        } else {
            QVERIFY(!result.ok());
            QCOMPARE(result.error->description(), error);
        }
    }

    void invalidUrlMakesNoRequest()
    {
        PortalSimulator sim;
        QVERIFY(sim.start());
        PortalClient client;
        for (const QString& origin :
             {QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1"), QString()}) {
            FeedFetcher fetcher(client, origin, m_clock);
            const FetchResult result = fetcher.fetchMarketNews(QStringLiteral("en"));
            QVERIFY(!result.ok());
            QCOMPARE(result.error->description(), QStringLiteral("invalidURL"));
        }
        QCOMPARE(sim.requestCount(), size_t(0));
    }

    void languageSelectsEndpoint_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("feed");
        QTest::newRow("ar") << QStringLiteral("ar") << int(Feed::MarketAR);
        QTest::newRow("en") << QStringLiteral("en") << int(Feed::MarketEN);
        QTest::newRow("fr") << QStringLiteral("fr") << int(Feed::MarketEN);
    }

    void languageSelectsEndpoint()
    {
        QFETCH(QString, language);
        QFETCH(int, feed);
        PortalSimulator sim({.issuerItems = 0, .marketItems = 5});
        QVERIFY(sim.start());
        const FetchResult result = fetch(sim, FeedFetcher::marketFeed(), language);
        QVERIFY(result.ok());
        QCOMPARE(int(*sim.requests().front().feed), feed);
        QVERIFY(result.records.first().link().startsWith(text(sim.origin()) + QStringLiteral("/wps/")));
    }
};

QTEST_GUILESS_MAIN(TestFeedFetcher)
#include "tst_feedfetcher.moc"
