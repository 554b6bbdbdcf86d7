#include "OutputFixture.h"
#include "outputs/OutputConfig.h"
#include "outputs/OutputSender.h"
#include "outputs/RetrySchedule.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The text of RFC 2047 encoded words (UTF-8, base64) joined by spaces; other text as it is.
QString decodedWords(const QByteArray& header)
{
    if (!header.startsWith("=?"))
        return QString::fromUtf8(header);
    QByteArray utf8;
    for (const QByteArray& word : header.split(' ')) {
        if (!word.startsWith("=?UTF-8?B?") || !word.endsWith("?=") || word.size() > 75)
            return QStringLiteral("<bad word: %1>").arg(QString::fromLatin1(word));
        utf8 += QByteArray::fromBase64(word.mid(10, word.size() - 12));
    }
    return QString::fromUtf8(utf8);
}

QJsonObject json(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

} // namespace

class TestSenders : public QObject
{
    Q_OBJECT

    const Instant m_now = Instant::fromUnixSeconds(1'796'565'600); // 2026-12-06 14:00 UTC
    ManualClock m_clock{m_now};

    DeliveryResult send(const OutputConfig& config, const QString& secret, const OutputMessage& message)
    {
        return OutputSender::make(config, secret, m_clock)->send(message);
    }

private Q_SLOTS:
    void eachKindSendsTheRequestItsReceiverExpects()
    {
        LoopbackHttpServer server;
        const QString origin = QString::fromUtf8(server.url(""));
        const OutputItem item = arabicItem();
        const OutputMessage message({item});
        using Kind = OutputConfig::Kind;

        const auto webhook = [&] {
            QVERIFY(
                send({.name = u"w"_s, .kind = Kind::Webhook, .url = origin + u"/hook"_s}, u"tok"_s, message)
                    .isDelivered());
            const auto request = server.requests().last();
            QCOMPARE(request.method, "POST");
            QCOMPARE(request.path, "/hook");
            QCOMPARE(request.contentType, "application/json");
            QCOMPARE(request.header("Authorization"), "Bearer tok");
            QCOMPARE(request.header("Idempotency-Key"), "se_42");
            const QJsonObject body = json(request.body);
            QCOMPARE(body.keys(), (QStringList{u"category"_s, u"company"_s, u"date"_s, u"id"_s, u"link"_s,
                                               u"rule"_s, u"symbol"_s, u"text"_s, u"title"_s}));
            QCOMPARE(body[u"title"_s].toString(), item.announcement.title());
            QCOMPARE(body[u"text"_s].toString(), u"أعلنت الشركة عن توزيع & أرباح"_s);
            QCOMPARE(body[u"date"_s].toString(), u"2026-12-06T14:05:00+03:00"_s);
            QCOMPARE(body[u"symbol"_s].toString(), u"2222"_s);
            QCOMPARE(body[u"company"_s].toString(), item.company);
            QCOMPARE(body[u"category"_s].toString(), u"dividends"_s);
            QCOMPARE(body[u"rule"_s].toString(), u"Dividends"_s);
        };
        const auto ntfy = [&] {
            QVERIFY(send({.name = u"n"_s, .kind = Kind::Ntfy, .url = origin + u"/alerts"_s}, {}, message)
                        .isDelivered());
            const auto request = server.requests().last();
            QCOMPARE(request.method, "POST");
            QCOMPARE(request.path, "/alerts");
            QCOMPARE(decodedWords(request.header("Title")), item.announcement.title());
            QCOMPARE(request.header("Tags"), "loudspeaker,2222,1120");
            QCOMPARE(request.header("Click"), "https://www.saudiexchange.sa/n/se_42");
            QVERIFY(request.header("Authorization").isEmpty());
            QCOMPARE(QString::fromUtf8(request.body),
                     u"أعلنت الشركة عن توزيع & أرباح\n\nhttps://www.saudiexchange.sa/n/se_42"_s);
        };
        const auto telegram = [&] {
            QVERIFY(
                send({.name = u"t"_s, .kind = Kind::Telegram, .url = origin + u"/"_s, .chat = u"-100123"_s},
                     u"123:ABC"_s, message)
                    .isDelivered());
            const auto request = server.requests().last();
            QCOMPARE(request.method, "POST");
            QCOMPARE(request.path, "/bot123:ABC/sendMessage");
            const QJsonObject body = json(request.body);
            QCOMPARE(body[u"chat_id"_s].toString(), u"-100123"_s);
            QVERIFY(body[u"text"_s].toString().startsWith(item.announcement.title() + u"\n\n"_s));
            QVERIFY(body[u"text"_s].toString().endsWith(u"https://www.saudiexchange.sa/n/se_42"_s));
        };
        const auto matrix = [&] {
            QVERIFY(
                send({.name = u"m"_s, .kind = Kind::Matrix, .url = origin, .room = u"!room:example.org"_s},
                     u"syt_secret"_s, message)
                    .isDelivered());
            const auto request = server.requests().last();
            QCOMPARE(request.method, "PUT");
            QCOMPARE(request.path,
                     "/_matrix/client/v3/rooms/!room:example.org/send/m.room.message/zelvora-se_42");
            QCOMPARE(request.header("Authorization"), "Bearer syt_secret");
            const QJsonObject body = json(request.body);
            QCOMPARE(body[u"msgtype"_s].toString(), u"m.text"_s);
            QVERIFY(body[u"body"_s].toString().startsWith(item.announcement.title()));
        };
        for (const std::function<void()>& check :
             {std::function<void()>(webhook), std::function<void()>(ntfy), std::function<void()>(telegram),
              std::function<void()>(matrix)}) {
            check();
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A burst is one message (the count, a line per announcement up to a limit) everywhere but at
    // webhooks, which get every record; its key stays the same for the same burst.
    void burstsAreSummedUpExceptAtWebhooks()
    {
        LoopbackHttpServer server;
        const OutputMessage summary(burst(12));
        QCOMPARE(summary.key(), OutputMessage(burst(12)).key());
        QVERIFY(summary.key() != OutputMessage(burst(11)).key());

        QVERIFY(send({.name = u"n"_s,
                      .kind = OutputConfig::Kind::Ntfy,
                      .url = QString::fromUtf8(server.url("/t"))},
                     {}, summary)
                    .isDelivered());
        const auto request = server.requests().last();
        QCOMPARE(decodedWords(request.header("Title")), u"12 new announcements"_s);
        QVERIFY(request.header("Click").isEmpty());
        const QStringList lines = QString::fromUtf8(request.body).split(u'\n');
        QCOMPARE(lines.size(), OutputMessage::kSummaryLines + 1);
        QCOMPARE(lines.first(), u"2222 · "_s + arabicItem().announcement.title());
        QCOMPARE(lines.last(), u"and 2 more"_s);

        QVERIFY(send({.name = u"w"_s,
                      .kind = OutputConfig::Kind::Webhook,
                      .url = QString::fromUtf8(server.url("/hook"))},
                     {}, OutputMessage(burst(3)))
                    .isDelivered());
        const auto requests = server.requests().mid(1);
        QCOMPARE(requests.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(requests.at(i).header("Idempotency-Key"), QByteArray("se_") + QByteArray::number(i));
    }

    void answersAreClassified_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("waitSeconds"); // -1: none given
        using O = DeliveryResult::Outcome;
        QTest::newRow("200") << 200 << QByteArray() << int(O::Delivered) << -1.0;
        QTest::newRow("204") << 204 << QByteArray() << int(O::Delivered) << -1.0;
        QTest::newRow("500") << 500 << QByteArray() << int(O::RetryLater) << -1.0;
        QTest::newRow("503 after seconds") << 503 << QByteArray("120") << int(O::RetryLater) << 120.0;
        QTest::newRow("429 after seconds") << 429 << QByteArray("30") << int(O::RetryLater) << 30.0;
        QTest::newRow("429 until a date")
            << 429 << QByteArray("Sun, 06 Dec 2026 14:01:00 GMT") << int(O::RetryLater) << 60.0;
        QTest::newRow("429 until a past date")
            << 429 << QByteArray("Sun, 06 Dec 2026 13:50:00 GMT") << int(O::RetryLater) << 0.0;
        QTest::newRow("429 unreadable") << 429 << QByteArray("soon") << int(O::RetryLater) << -1.0;
        QTest::newRow("408") << 408 << QByteArray() << int(O::RetryLater) << -1.0;
        QTest::newRow("moved, not followed") << 301 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("400") << 400 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("401") << 401 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("404") << 404 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("no server") << 0 << QByteArray() << int(O::RetryLater) << -1.0;
    }

    void answersAreClassified()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
        QFETCH(int, outcome);
        QFETCH(double, waitSeconds);
        LoopbackHttpServer server([&](const httplib::Request&, httplib::Response& response) {
            response.status = status;
            if (!retryAfter.isEmpty())
                response.set_header("Retry-After", retryAfter.toStdString());
            response.set_content("no such hook", "text/plain");
            if (status == 301)
                response.set_header("Location", "/hook");
        });
        const QByteArray url = status ? server.url("/hook") : QByteArray("http://127.0.0.1:1/hook");
        const DeliveryResult result =
            send({.name = u"w"_s, .kind = OutputConfig::Kind::Webhook, .url = QString::fromUtf8(url)}, {},
                 OutputMessage({arabicItem()}));
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.retryAfterSeconds.value_or(-1.0), waitSeconds);
        if (result.outcome == DeliveryResult::Outcome::Refused)
            QCOMPARE(result.detail, u"HTTP %1 (no such hook)"_s.arg(status));
    }

    void telegramsWaitIsReadFromItsAnswer()
    {
        LoopbackHttpServer server([](const httplib::Request&, httplib::Response& response) {
            response.status = 429;
            response.set_content(R"({"ok":false,"error_code":429,"parameters":{"retry_after":7}})",
                                 "application/json");
        });
        const DeliveryResult result = send({.name = u"t"_s,
                                            .kind = OutputConfig::Kind::Telegram,
                                            .url = QString::fromUtf8(server.url("")),
                                            .chat = u"1"_s},
                                           u"1:A"_s, OutputMessage({arabicItem()}));
        QCOMPARE(int(result.outcome), int(DeliveryResult::Outcome::RetryLater));
        QCOMPARE(result.retryAfterSeconds.value_or(-1), 7.0);
    }

    void retriesGrowToAnHourAndEndAfterADay_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<double>("sinceFirst");
        QTest::addColumn<double>("retryAfter"); // 0: none
        QTest::addColumn<double>("wait");       // -1: given up
        QTest::newRow("first failure") << 1 << 0.0 << 0.0 << 5.0;
        QTest::newRow("doubles") << 3 << 35.0 << 0.0 << 20.0;
        QTest::newRow("below the cap") << 10 << 5000.0 << 0.0 << 2560.0;
        QTest::newRow("capped at an hour") << 11 << 8000.0 << 0.0 << 3600.0;
        QTest::newRow("very many failures") << 5000 << 80000.0 << 0.0 << 3600.0;
        QTest::newRow("Retry-After longer than the pause") << 1 << 0.0 << 900.0 << 900.0;
        QTest::newRow("Retry-After shorter than the pause") << 6 << 300.0 << 10.0 << 160.0;
        QTest::newRow("the next try would fall past a day") << 30 << 84000.0 << 0.0 << -1.0;
        QTest::newRow("Retry-After past a day") << 1 << 0.0 << 90000.0 << -1.0;
    }

    void retriesGrowToAnHourAndEndAfterADay()
    {
        QFETCH(int, failures);
        QFETCH(double, sinceFirst);
        QFETCH(double, retryAfter);
        QFETCH(double, wait);
        const Instant first = m_now;
        const Instant now = first.addSeconds(sinceFirst);
        const auto next = RetrySchedule::nextAttempt(
            first, failures, now, retryAfter > 0 ? std::optional(retryAfter) : std::nullopt);
        QCOMPARE(next.has_value(), wait >= 0);
        if (next)
            QCOMPARE(next->referenceSeconds() - now.referenceSeconds(), wait);
    }
};

QTEST_GUILESS_MAIN(TestSenders)
#include "tst_senders.moc"
