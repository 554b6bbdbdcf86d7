#include "OutputFixture.h"
#include "outputs/MailHeader.h"
#include "outputs/OutputConfig.h"
#include "outputs/SmtpSender.h"
#include "support/ManualClock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// Mail through a real SMTP server on loopback (aiosmtpd, started by the test), which parses what it
// receives as a mail program would.
class TestSmtpSender : public QObject
{
    Q_OBJECT

    QProcess m_receiver;
    QString m_url;
    ManualClock m_clock{Instant::fromUnixSeconds(1'796'565'600)};

    OutputConfig config(const QString& to, const QString& user = {})
    {
        return {.name = u"mail"_s,
                .kind = OutputConfig::Kind::Smtp,
                .url = m_url,
                .to = to,
                .from = u"alerts@example.org"_s,
                .user = user};
    }

    // The next message the receiver reports.
    QJsonObject received()
    {
        while (!m_receiver.canReadLine()) {
            if (!m_receiver.waitForReadyRead(10000))
                return {};
        }
        return QJsonDocument::fromJson(m_receiver.readLine()).object();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_receiver.start(u"/usr/bin/python3"_s, {QStringLiteral(ZELVORA_SMTP_RECEIVER)});
        while (!m_receiver.canReadLine())
            QVERIFY2(m_receiver.waitForReadyRead(20000), "the SMTP receiver needs python3-aiosmtpd");
        const QByteArray line = m_receiver.readLine().trimmed();
        QVERIFY2(line.startsWith("PORT "), line.constData());
        m_url = u"smtp://127.0.0.1:"_s + QString::fromLatin1(line.mid(5));
    }

    void cleanupTestCase()
    {
        m_receiver.closeWriteChannel();
        if (!m_receiver.waitForFinished(5000))
            m_receiver.kill();
    }

    void arabicMailArrivesWhole()
    {
        const OutputMessage message({arabicItem()});
        SmtpSender sender(config(u"desk@example.org"_s, u"trader"_s), u"secret-pass"_s, m_clock);
        QCOMPARE(sender.send(message).describe(), u"delivered"_s);
        const QJsonObject mail = received();
        QCOMPARE(mail[u"from"_s].toString(), u"alerts@example.org"_s);
        QCOMPARE(mail[u"to"_s].toArray().first().toString(), u"desk@example.org"_s);
        QVERIFY(mail[u"authenticated"_s].toBool());
        QCOMPARE(mail[u"subject"_s].toString(), arabicItem().announcement.title());
        // Encoded words of at most 75 characters, on folded lines.
        for (const QString& word : mail[u"rawSubject"_s].toString().split(u"\r\n "_s))
            QVERIFY2(word.startsWith(u"=?UTF-8?B?"_s) && word.size() <= 75, qPrintable(word));
        QCOMPARE(mail[u"contentType"_s].toString(), u"text/plain"_s);
        QCOMPARE(mail[u"body"_s].toString().trimmed(),
                 u"أعلنت الشركة عن توزيع & أرباح\n\nhttps://www.saudiexchange.sa/n/se_42"_s);
        // A repeat of the delivery can be recognised.
        QVERIFY(sender.send(message).isDelivered());
        QCOMPARE(received()[u"messageId"_s], mail[u"messageId"_s]);
    }

    void failuresAreClassified_data()
    {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("noServer");
        QTest::addColumn<int>("outcome");
        using O = DeliveryResult::Outcome;
        QTest::newRow("unknown mailbox") << u"refuse@example.org"_s << QString() << false << int(O::Refused);
        QTest::newRow("mailbox busy") << u"busy@example.org"_s << QString() << false << int(O::RetryLater);
        QTest::newRow("wrong password") << u"desk@example.org"_s << u"guess"_s << false << int(O::Refused);
        QTest::newRow("no server") << u"desk@example.org"_s << QString() << true << int(O::RetryLater);
    }

    void failuresAreClassified()
    {
        QFETCH(QString, to);
        QFETCH(QString, password);
        QFETCH(bool, noServer);
        QFETCH(int, outcome);
        OutputConfig target = config(to, password.isEmpty() ? QString() : u"trader"_s);
        if (noServer)
            target.url = u"smtp://127.0.0.1:1"_s;
        const DeliveryResult result =
            SmtpSender(target, password, m_clock).send(OutputMessage({arabicItem()}));
        QCOMPARE(int(result.outcome), outcome);
    }

    // Long texts in any script become words that each decode on their own (no character cut in two).
    void subjectWordsNeverSplitACharacter()
    {
        const QString title = u"📈 "_s.repeated(30) + u"توزيع "_s.repeated(20);
        QString decoded;
        for (const QByteArray& word : MailHeader::encode(title, " ").split(' ')) {
            QVERIFY(word.size() <= 75);
            const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
            QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes);
            decoded += QString::fromUtf8(bytes);
        }
        QCOMPARE(decoded, title);
        QCOMPARE(MailHeader::encode(u"Cash\r\ndividend"_s, " "), QByteArray("Cash  dividend"));
    }
};

QTEST_GUILESS_MAIN(TestSmtpSender)
#include "tst_smtpsender.moc"
