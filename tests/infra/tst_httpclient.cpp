// The transfer the feeds, telemetry and the update check share, against servers on 127.0.0.1.
#include "infra/HttpClient.h"
#include "portalsim/PortalSimulator.h"
#include "support/LoopbackHttpServer.h"

#include <QJsonDocument>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

using portalsim::Fault;
using portalsim::Feed;
using portalsim::PortalSimulator;

namespace {
HttpClient::Request feedPage(const PortalSimulator& sim)
{
    return {QByteArray::fromStdString(sim.origin()) + portalsim::feedPath(Feed::IssuerEN),
            {},
            true,
            "pageNumberDb=1&pageSize=50"};
}

QString errorOf(const HttpClient::Result& result)
{
    const QString* error = std::get_if<QString>(&result);
    return error ? *error : QString();
}
} // namespace

class TestHttpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesTheOfferedEncodings()
    {
        PortalSimulator sim;
        QVERIFY(sim.start());
        HttpClient client(HttpClient::Options{});
        using portalsim::Encoding;
        for (const Encoding encoding :
             {Encoding::Identity, Encoding::Gzip, Encoding::Deflate, Encoding::Brotli}) {
            sim.setFault(Feed::IssuerEN, 0, Fault{.encoding = encoding});
            const HttpClient::Result result = client.run(feedPage(sim));
            const auto* response = std::get_if<HttpClient::Response>(&result);
            QVERIFY2(response, qPrintable(errorOf(result)));
            QCOMPARE(response->status, 200L);
            QVERIFY(QJsonDocument::fromJson(response->body).isObject());
        }
    }

    void transportFailures_data()
    {
        QTest::addColumn<int>("body"); // Fault::Body
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QString>("error");
        QTest::newRow("body over the cap (570 KB page, gzip)")
            << int(Fault::Body::HtmlPage) << false << u"exceeds the limit of 262144 bytes"_s;
        QTest::newRow("no answer within the time-out") << int(Fault::Body::Normal) << true << u"timed out"_s;
        QTest::newRow("connection dropped mid-body") << int(Fault::Body::DropMidBody) << false << QString();
        QTest::newRow("nothing listening") << -1 << false << u"connect"_s;
    }

    void transportFailures()
    {
        QFETCH(int, body);
        QFETCH(bool, hold);
        QFETCH(QString, error);
        PortalSimulator sim;
        QVERIFY(sim.start());
        sim.setFault(Feed::IssuerEN, 0,
                     Fault{.body = static_cast<Fault::Body>(std::max(body, 0)), .hold = hold});
        HttpClient::Request request = feedPage(sim);
        if (body < 0)
            sim.stop();
        HttpClient client(HttpClient::Options{hold ? 300L : 60000L, 256 * 1024});
        const QString text = errorOf(client.run(request));
        sim.releaseHeld();
        QVERIFY2(!text.isEmpty() && text.contains(error), qPrintable(text));
    }

    void whichRedirectsAreFollowed_data()
    {
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("any");
        QTest::addColumn<bool>("sameOrigin");
        QTest::newRow("same origin") << QByteArray("https://portal.example/b") << true << true;
        QTest::newRow("explicit default port") << QByteArray("https://PORTAL.example:443/b") << true << true;
        QTest::newRow("other host") << QByteArray("https://evil.example/b") << true << false;
        QTest::newRow("other port") << QByteArray("https://portal.example:8443/b") << true << false;
        QTest::newRow("down to http") << QByteArray("http://portal.example/b") << false << false;
        QTest::newRow("not the web") << QByteArray("file:///etc/passwd") << false << false;
    }

    void whichRedirectsAreFollowed()
    {
        QFETCH(QByteArray, to);
        QFETCH(bool, any);
        QFETCH(bool, sameOrigin);
        const QByteArray from("https://portal.example/a");
        QCOMPARE(HttpClient::mayFollow(from, to, HttpClient::Redirects::AnyWebAddress), any);
        QCOMPARE(HttpClient::mayFollow(from, to, HttpClient::Redirects::SameOrigin), sameOrigin);
    }

    // A portal that sends its feed request to a third party (127.0.0.2): the form and headers stay
    // home, while a 307 within the portal repeats the POST and a 302 turns it into a GET.
    void sameOriginRedirectsStayHome()
    {
        LoopbackHttpServer third({}, "127.0.0.2");
        const QByteArray away = third.url("/steal");
        LoopbackHttpServer portal([away](const httplib::Request& request, httplib::Response& response) {
            if (request.path == "/away")
                response.set_redirect(away.toStdString(), 307);
            else if (request.path == "/again")
                response.set_redirect("/feed", 307);
            else if (request.path == "/see")
                response.set_redirect("/feed", 302);
            else
                response.set_content("{}", "application/json");
        });
        HttpClient::Options options;
        options.redirects = HttpClient::Redirects::SameOrigin;
        HttpClient client(options);
        const auto post = [&](const char* path) { return client.run({portal.url(path), {}, true, "form"}); };
        QVERIFY(errorOf(post("/away")).contains(u"Refused a redirect to http://127.0.0.2"_s));
        QCOMPARE(third.count(), 0);
        QCOMPARE(std::get<HttpClient::Response>(post("/again")).body, QByteArray("{}"));
        QVERIFY(std::holds_alternative<HttpClient::Response>(post("/see")));
        const auto requests = portal.requests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(requests[2].method + ' ' + requests[2].body, QByteArray("POST form"));
        QCOMPARE(requests[4].method + ' ' + requests[4].body, QByteArray("GET "));
    }

    // start(): in order, on the client's thread; cancel() ends a held transfer and every later one.
    void startAnswersOnTheClientsThreadAndCancelEndsAll()
    {
        PortalSimulator sim;
        QVERIFY(sim.start());
        HttpClient client(HttpClient::Options{});
        QList<long> statuses;
        bool onMainThread = true;
        const auto record = [&](const HttpClient::Result& result) {
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
            const auto* response = std::get_if<HttpClient::Response>(&result);
            statuses.append(response ? response->status : -1);
        };
        HttpClient::Request missing = feedPage(sim);
        missing.url += "-missing";
        client.start(feedPage(sim), record);
        client.start(missing, record);
        QTRY_COMPARE_WITH_TIMEOUT(statuses, (QList<long>{200, 404}), 30000);
        QVERIFY(onMainThread);

        sim.setFault(Feed::IssuerEN, 0, Fault{.hold = true});
        client.start(feedPage(sim), record);
        QTRY_COMPARE_WITH_TIMEOUT(sim.requestCount(), size_t(3), 30000);
        client.cancel();
        QTRY_COMPARE_WITH_TIMEOUT(statuses.size(), 3, 5000); // not the 60-second time-out
        QCOMPARE(statuses.last(), -1L);
        QCOMPARE(errorOf(client.run(feedPage(sim))), u"Request cancelled"_s);
        QCOMPARE(sim.requestCount(), size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestHttpClient)
#include "tst_httpclient.moc"
