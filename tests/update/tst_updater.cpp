#include "support/LoopbackHttpServer.h"
#include "support/StdoutCapture.h"
#include "update/Updater.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
QByteArray item(const QByteArray& version, const QByteArray& shortVersion)
{
    return "<item><title>Zelvora</title><sparkle:version>" + version + "</sparkle:version>" +
           (shortVersion.isEmpty()
                ? QByteArray()
                : "<sparkle:shortVersionString>" + shortVersion + "</sparkle:shortVersionString>") +
           "<sparkle:releaseNotesLink>https://notes.example/" + version +
           "</sparkle:releaseNotesLink><enclosure url=\"https://dl.example/z.tar.gz\" length=\"1\"/></item>";
}

QByteArray appcast(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
           "xmlns:sparkle=\"urn:zelvora:appcast\"><channel><title>Zelvora</title>" +
           items + "</channel></rss>";
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareVersions()
    {
        const std::tuple<const char*, const char*, int> rows[] = {
            {"1.10", "1.9", 1},         {"1.2", "1.2.0", 0},  {"2", "1.99.99", 1}, {"1.2.2", "1.2.3", -1},
            {"1.2.3-beta", "1.2.3", 0}, {"2.0 beta", "2", 0}, {"1.2b3", "1.2", 0}, {"6", "7", -1}};
        for (const auto& [a, b, order] : rows) {
            QCOMPARE(Appcast::compareVersions(QString::fromLatin1(a), QString::fromLatin1(b)), order);
            QCOMPARE(Appcast::compareVersions(QString::fromLatin1(b), QString::fromLatin1(a)), -order);
        }
    }

    void checkNow_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("latest"); // shown version, or a piece of the error
        const int available = int(UpdateCheckResult::Outcome::UpdateAvailable);
        const int upToDate = int(UpdateCheckResult::Outcome::UpToDate);
        const int failed = int(UpdateCheckResult::Outcome::Failed);
        QTest::newRow("newer") << appcast(item("7", "1.2.4")) << 200 << available << "1.2.4";
        QTest::newRow("equal") << appcast(item("6", "1.2.3")) << 200 << upToDate << "1.2.3";
        QTest::newRow("same version, newer build")
            << appcast(item("7", "1.2.3")) << 200 << available << "1.2.3";
        QTest::newRow("version alone") << appcast(item("1.10", "")) << 200 << available << "1.10";
        QTest::newRow("newest is not first")
            << appcast(item("5", "1.2.2") + item("9", "1.3.0") + item("8", "1.2.9")) << 200 << available
            << "1.3.0";
        QTest::newRow("malformed XML")
            << QByteArray("<rss><channel><item>") << 200 << failed << "could not be read";
        QTest::newRow("no versions") << appcast("<item><title>x</title></item>") << 200 << failed
                                     << "lists no version";
        QTest::newRow("404") << QByteArray("gone") << 404 << failed << "HTTP 404";
    }

    void checkNow()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, outcome);
        QFETCH(QString, latest);
        LoopbackHttpServer server([&](const httplib::Request&, httplib::Response& response) {
            response.status = status;
            response.set_content(body.toStdString(), "application/xml");
        });
        Updater updater(QString::fromLatin1(server.url("/appcast.xml")));
        QSignalSpy finished(&updater, &Updater::checkFinished);
        QSignalSpy found(&updater, &Updater::updateFound);
        StdoutCapture out;
        updater.checkNow();
        QVERIFY(finished.wait(30000));
        const auto result = finished.first().first().value<UpdateCheckResult>();
        QCOMPARE(int(result.outcome), outcome);
        if (outcome == int(UpdateCheckResult::Outcome::Failed)) {
            QVERIFY2(result.error.contains(latest), qPrintable(result.error));
            QVERIFY(out.text().startsWith(u"[Updater] Update check failed: "_s));
        } else {
            QCOMPARE(result.latest.displayVersion(), latest);
            QVERIFY(result.latest.releaseNotesLink.startsWith(u"https://notes.example/"_s));
            QCOMPARE(result.latest.downloadUrl, u"https://dl.example/z.tar.gz"_s);
        }
        QCOMPARE(found.size(), 0); // a check the user asked for answers only through checkFinished
    }

    void quietChecksTellOnlyOfNewerVersions_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("told");
        QTest::newRow("newer") << appcast(item("7", "1.2.4")) << true << true;
        QTest::newRow("broken") << QByteArray("<rss>") << true << false;
        QTest::newRow("switched off: no request") << appcast(item("7", "1.2.4")) << false << false;
    }

    void quietChecksTellOnlyOfNewerVersions()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, allowed);
        QFETCH(bool, told);
        LoopbackHttpServer server([&](const httplib::Request&, httplib::Response& response) {
            response.set_content(body.toStdString(), "application/xml");
        });
        Updater updater(QString::fromLatin1(server.url("/appcast.xml")));
        updater.setSchedule(0, 24 * 60 * 60 * 1000);
        int asked = 0;
        updater.setAutomaticChecksAllowed([&] { return ++asked, allowed; });
        QSignalSpy finished(&updater, &Updater::checkFinished);
        QSignalSpy found(&updater, &Updater::updateFound);
        StdoutCapture out;
        updater.start();
        QTRY_COMPARE_WITH_TIMEOUT(asked, 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(server.count(), allowed ? 1 : 0, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!updater.isChecking(), 30000); // signals go out before this turns false
        QCOMPARE(found.size(), told ? 1 : 0);
        QCOMPARE(finished.size(), 0);
        if (!allowed) { // the switch leaves the user's own check alone
            updater.checkNow();
            QVERIFY(finished.wait(30000));
            QCOMPARE(server.count(), 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestUpdater)
#include "tst_updater.moc"
