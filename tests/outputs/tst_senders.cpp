// Each kind of output against real receivers on loopback: HTTP ones, and a real SMTP server (aiosmtpd,
// started by the test) that parses what it receives as a mail program would.
#include "outputs/MailHeader.h"
#include "outputs/OutputConfig.h"
#include "outputs/OutputMessage.h"
#include "outputs/OutputSender.h"
#include "outputs/RetrySchedule.h"
#include "outputs/SmtpSender.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// An Arabic announcement with markup and an entity in its text, as the portal sends them.
OutputItem arabicItem(const QString& id = u"se_42"_s)
{
    const Instant published =
        Instant::fromDateTime(QDateTime(QDate(2026, 12, 6), QTime(11, 5), QTimeZone::utc()));
    return OutputItem::of(Announcement(id, u"أرامكو تعلن عن توزيع أرباح نقدية 📈"_s,
                                       u"<p>أعلنت الشركة عن توزيع &amp; أرباح</p>"_s,
                                       u"https://www.saudiexchange.sa/n/"_s + id, published,
                                       {u"2222"_s, u"1120"_s}),
                          u"أرامكو السعودية"_s, u"Dividends"_s);
}

QList<OutputItem> burst(int count)
{
    QList<OutputItem> items;
    for (int i = 0; i < count; ++i)
        items.append(arabicItem(u"se_%1"_s.arg(i)));
    return items;
}

// The text of RFC 2047 encoded words (UTF-8, base64, each whole on its own) joined by spaces; other text
// as it is.
QString decodedWords(const QByteArray& header)
{
    if (!header.startsWith("=?"))
        return QString::fromUtf8(header);
    QString text;
    for (const QByteArray& word : header.split(' ')) {
        const QByteArray utf8 = QByteArray::fromBase64(word.mid(10, word.size() - 12));
        if (!word.startsWith("=?UTF-8?B?") || !word.endsWith("?=") || word.size() > 75 ||
            QString::fromUtf8(utf8).toUtf8() != utf8)
            return QStringLiteral("<bad word: %1>").arg(QString::fromLatin1(word));
        text += QString::fromUtf8(utf8);
    }
    return text;
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

    QProcess m_smtpServer;
    QString m_smtpUrl;

    DeliveryResult send(const OutputConfig& config, const QString& secret, const OutputMessage& message)
    {
        return OutputSender::make(config, secret, m_clock)->send(message);
    }
    OutputConfig mail(const QString& to, const QString& user = {})
    {
        return {.name = u"mail"_s,
                .kind = OutputConfig::Kind::Smtp,
                .url = m_smtpUrl,
                .to = to,
                .from = u"alerts@example.org"_s,
                .user = user};
    }
    // The next message the SMTP server reports.
    QJsonObject received()
    {
        while (!m_smtpServer.canReadLine()) {
            if (!m_smtpServer.waitForReadyRead(10000))
                return {};
        }
        return QJsonDocument::fromJson(m_smtpServer.readLine()).object();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_smtpServer.start(u"/usr/bin/python3"_s, {QStringLiteral(ZELVORA_SMTP_RECEIVER)});
        while (!m_smtpServer.canReadLine())
            QVERIFY2(m_smtpServer.waitForReadyRead(20000), "the SMTP receiver needs python3-aiosmtpd");
        const QByteArray line = m_smtpServer.readLine().trimmed();
        QVERIFY2(line.startsWith("PORT "), line.constData());
        m_smtpUrl = u"smtp://127.0.0.1:"_s + QString::fromLatin1(line.mid(5));
    }

    void cleanupTestCase()
    {
        m_smtpServer.closeWriteChannel();
        if (!m_smtpServer.waitForFinished(5000))
            m_smtpServer.kill();
    }

    void eachKindSendsTheRequestItsReceiverExpects()
    {
        LoopbackHttpServer server;
        const QString origin = QString::fromUtf8(server.url(""));
        const OutputItem item = arabicItem();
        const OutputMessage message({item});
        const QString title = item.announcement.title();
        using Kind = OutputConfig::Kind;

        QVERIFY(send({.name = u"w"_s, .kind = Kind::Webhook, .url = origin + u"/hook"_s}, u"tok"_s, message)
                    .isDelivered());
        auto request = server.requests().last();
        QCOMPARE(request.method + ' ' + request.path + ' ' + request.contentType,
                 "POST /hook application/json");
        QCOMPARE(request.header("Authorization"), "Bearer tok");
        QCOMPARE(request.header("Idempotency-Key"), "se_42");
        const QJsonObject expected{{u"category"_s, u"dividends"_s},
                                   {u"company"_s, item.company},
                                   {u"date"_s, u"2026-12-06T14:05:00+03:00"_s},
                                   {u"id"_s, u"se_42"_s},
                                   {u"link"_s, u"https://www.saudiexchange.sa/n/se_42"_s},
                                   {u"rule"_s, u"Dividends"_s},
                                   {u"symbol"_s, u"2222"_s},
                                   {u"text"_s, u"أعلنت الشركة عن توزيع & أرباح"_s},
                                   {u"title"_s, title}};
        QCOMPARE(json(request.body), expected);

        QVERIFY(send({.name = u"n"_s, .kind = Kind::Ntfy, .url = origin + u"/alerts"_s}, {}, message)
                    .isDelivered());
        request = server.requests().last();
        QCOMPARE(request.method + ' ' + request.path, "POST /alerts");
        QCOMPARE(decodedWords(request.header("Title")), title);
        QCOMPARE(request.header("Tags"), "loudspeaker,2222,1120");
        QCOMPARE(request.header("Click"), "https://www.saudiexchange.sa/n/se_42");
        QVERIFY(request.header("Authorization").isEmpty());
        QCOMPARE(QString::fromUtf8(request.body),
                 u"أعلنت الشركة عن توزيع & أرباح\n\nhttps://www.saudiexchange.sa/n/se_42"_s);

        QVERIFY(send({.name = u"t"_s, .kind = Kind::Telegram, .url = origin + u"/"_s, .chat = u"-100123"_s},
                     u"123:ABC"_s, message)
                    .isDelivered());
        request = server.requests().last();
        QCOMPARE(request.method + ' ' + request.path, "POST /bot123:ABC/sendMessage");
        QCOMPARE(json(request.body)[u"chat_id"_s].toString(), u"-100123"_s);
        const QString text = json(request.body)[u"text"_s].toString();
        QVERIFY(text.startsWith(title + u"\n\n"_s) &&
                text.endsWith(u"https://www.saudiexchange.sa/n/se_42"_s));

        QVERIFY(send({.name = u"m"_s, .kind = Kind::Matrix, .url = origin, .room = u"!room:example.org"_s},
                     u"syt_secret"_s, message)
                    .isDelivered());
        request = server.requests().last();
        QCOMPARE(request.method + ' ' + request.path,
                 "PUT /_matrix/client/v3/rooms/!room:example.org/send/m.room.message/zelvora-se_42");
        QCOMPARE(request.header("Authorization"), "Bearer syt_secret");
        QCOMPARE(json(request.body)[u"msgtype"_s].toString(), u"m.text"_s);
        QVERIFY(json(request.body)[u"body"_s].toString().startsWith(title));
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
        // Webhooks get every record.
        const QString hook = QString::fromUtf8(server.url("/hook"));
        QVERIFY(send({.name = u"w"_s, .kind = OutputConfig::Kind::Webhook, .url = hook}, {},
                     OutputMessage(burst(3)))
                    .isDelivered());
        QStringList keys;
        for (const auto& request : server.requests().mid(1))
            keys.append(QString::fromUtf8(request.header("Idempotency-Key")));
        QCOMPARE(keys, (QStringList{u"se_0"_s, u"se_1"_s, u"se_2"_s}));
    }

    void answersAreClassified_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<double>("waitSeconds"); // -1: none given
        using O = DeliveryResult::Outcome;
        QTest::newRow("200") << 200 << QByteArray() << int(O::Delivered) << -1.0;
        QTest::newRow("500") << 500 << QByteArray() << int(O::RetryLater) << -1.0;
        QTest::newRow("503 after seconds") << 503 << QByteArray("120") << int(O::RetryLater) << 120.0;
        QTest::newRow("429 until a date")
            << 429 << QByteArray("Sun, 06 Dec 2026 14:01:00 GMT") << int(O::RetryLater) << 60.0;
        QTest::newRow("429 until a past date")
            << 429 << QByteArray("Sun, 06 Dec 2026 13:50:00 GMT") << int(O::RetryLater) << 0.0;
        QTest::newRow("429 unreadable") << 429 << QByteArray("soon") << int(O::RetryLater) << -1.0;
        QTest::newRow("408") << 408 << QByteArray() << int(O::RetryLater) << -1.0;
        QTest::newRow("moved, not followed") << 301 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("404") << 404 << QByteArray() << int(O::Refused) << -1.0;
        QTest::newRow("no server") << 0 << QByteArray() << int(O::RetryLater) << -1.0;
    }

    void answersAreClassified()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
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
        QTEST(int(result.outcome), "outcome");
        QTEST(result.retryAfterSeconds.value_or(-1.0), "waitSeconds");
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
        const Instant now = m_now.addSeconds(sinceFirst);
        const auto next = RetrySchedule::nextAttempt(
            m_now, failures, now, retryAfter > 0 ? std::optional(retryAfter) : std::nullopt);
        QTEST(next ? next->referenceSeconds() - now.referenceSeconds() : -1.0, "wait");
    }
    void arabicMailArrivesWhole()
    {
        const OutputMessage message({arabicItem()});
        SmtpSender sender(mail(u"desk@example.org"_s, u"trader"_s), u"secret-pass"_s, m_clock);
        QCOMPARE(sender.send(message).describe(), u"delivered"_s);
        const QJsonObject received = this->received();
        QCOMPARE(received[u"from"_s].toString(), u"alerts@example.org"_s);
        QCOMPARE(received[u"to"_s].toArray(), QJsonArray{u"desk@example.org"_s});
        QVERIFY(received[u"authenticated"_s].toBool());
        QCOMPARE(received[u"subject"_s].toString(), arabicItem().announcement.title());
        // Encoded words of at most 75 characters, on folded lines.
        QCOMPARE(decodedWords(received[u"rawSubject"_s].toString().replace(u"\r\n "_s, u" "_s).toLatin1()),
                 arabicItem().announcement.title());
        QCOMPARE(received[u"contentType"_s].toString(), u"text/plain"_s);
        QCOMPARE(received[u"body"_s].toString().trimmed(),
                 u"أعلنت الشركة عن توزيع & أرباح\n\nhttps://www.saudiexchange.sa/n/se_42"_s);
        // A repeat of the delivery can be recognised.
        QVERIFY(sender.send(message).isDelivered());
        QCOMPARE(this->received()[u"messageId"_s], received[u"messageId"_s]);
    }

    void mailFailuresAreClassified_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("outcome");
        using O = DeliveryResult::Outcome;
        QTest::newRow("unknown mailbox") << u"refuse@example.org"_s << QString() << int(O::Refused);
        QTest::newRow("mailbox busy") << u"busy@example.org"_s << QString() << int(O::RetryLater);
        QTest::newRow("wrong password") << u"desk@example.org"_s << u"guess"_s << int(O::Refused);
        QTest::newRow("no server") << QString() << QString() << int(O::RetryLater);
    }

    void mailFailuresAreClassified()
    {
        QFETCH(QString, to);
        QFETCH(QString, password);
        OutputConfig target =
            mail(to.isEmpty() ? u"desk@example.org"_s : to, password.isEmpty() ? QString() : u"trader"_s);
        if (to.isEmpty())
            target.url = u"smtp://127.0.0.1:1"_s;
        QTEST(int(SmtpSender(target, password, m_clock).send(OutputMessage({arabicItem()})).outcome),
              "outcome");
    }

    // Long texts in any script become words that each decode on their own (no character cut in two).
    void subjectWordsNeverSplitACharacter()
    {
        const QString title = u"📈 "_s.repeated(30) + u"توزيع "_s.repeated(20);
        QCOMPARE(decodedWords(MailHeader::encode(title, " ")), title);
        QCOMPARE(MailHeader::encode(u"Cash\r\ndividend"_s, " "), QByteArray("Cash  dividend"));
    }
};

QTEST_GUILESS_MAIN(TestSenders)
#include "tst_senders.moc"
