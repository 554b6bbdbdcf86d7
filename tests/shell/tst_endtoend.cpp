// The tray program as a user runs it: a real X display with a tray host, a session bus with a
// notification service, and the portal simulator as the exchange. Started by run-with-display.sh.
#include "TestNotificationServer.h"
#include "portalsim/PortalSimulator.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {
// Whether a window with this exact title exists on the display.
bool windowExists(const QString& title)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
    return xwininfo.waitForFinished(10000) && xwininfo.exitStatus() == QProcess::NormalExit &&
           xwininfo.exitCode() == 0;
}
} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void notifyClickReadQuit()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X display (run through run-with-display.sh)");

        portalsim::PortalSimulator::Options options;
        options.issuerItems = 30;
        options.marketItems = 12;
        portalsim::PortalSimulator portal(options);
        QVERIFY(portal.start());

        TestNotificationServer notifications;
        QVERIFY2(notifications.start(), qPrintable(notifications.lastError()));

        QTemporaryDir home;
        const QString config = home.filePath(QStringLiteral("config"));
        const QString data = home.filePath(QStringLiteral("data"));
        QDir().mkpath(config + QStringLiteral("/zelvora"));
        {
            // Poll every 2 seconds and skip the start-up question, so the test needs no clicks on alerts.
            QFile settings(config + QStringLiteral("/zelvora/settings.json"));
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write(R"({"pollInterval": 2, "notificationsDontAsk": true})");
        }

        QProcess zelvora;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), QString::fromStdString(portal.origin()));
        env.insert(QStringLiteral("DO_NOT_TRACK"), QStringLiteral("1"));
        env.insert(QStringLiteral("ZELVORA_MIN_POLL_INTERVAL"), QStringLiteral("1"));
        env.insert(QStringLiteral("ZELVORA_APPCAST_URL"),
                   QString::fromStdString(portal.origin()) + QStringLiteral("/appcast.xml"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                   QStringLiteral("--disable-gpu --no-sandbox"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        zelvora.setProcessEnvironment(env);
        zelvora.setProcessChannelMode(QProcess::MergedChannels);
        zelvora.start(QStringLiteral(ZELVORA_EXE), {});
        QVERIFY(zelvora.waitForStarted());
        const auto output = [&] { return QString::fromUtf8(zelvora.readAll()); };
        QString log;

        // First poll: everything is old news, nothing is announced.
        const QString cacheFile = data + QStringLiteral("/Quvex/announcements_cache.json");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cacheFile), 30000);
        const auto requestsAfterFirstPoll = portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(portal.requestCount() > requestsAfterFirstPoll, 15000); // a second poll ran
        QCOMPARE(notifications.calls().size(), 0);

        // A new announcement on the portal: exactly one notification at the next poll.
        const portalsim::Item item = portal.addItem(true);
        const QString id = QStringLiteral("se_%1").arg(item.number);
        QTRY_VERIFY_WITH_TIMEOUT(notifications.calls().size() >= 1, 20000);
        const auto requestsNow = portal.requestCount();
        QTRY_VERIFY_WITH_TIMEOUT(portal.requestCount() > requestsNow + 1, 15000); // one more poll
        log += output();
        QCOMPARE(notifications.calls().size(), 1);
        const TestNotificationServer::Call call = notifications.calls().first();
        QCOMPARE(call.appName, QStringLiteral("Zelvora"));

        // A click on it opens the announcement's window, titled with the announcement's title.
        notifications.invokeAction(call.returnedId);
        QDeadlineTimer deadline(60000);
        while (!windowExists(call.summary) && !deadline.hasExpired())
            QTest::qWait(500);
        // ZELVORA_E2E_SHOTS=folder keeps a screenshot of the display for a person to look at.
        const QString shots = qEnvironmentVariable("ZELVORA_E2E_SHOTS");
        if (!shots.isEmpty())
            QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                         shots + QStringLiteral("/after-click.png")});
        if (!windowExists(call.summary)) {
            log += output();
            QFAIL(qPrintable(
                QStringLiteral("no window titled %1; program output:\n%2").arg(call.summary, log)));
        }

        // The cache file holds the kept list, the new announcement first.
        QFile cache(cacheFile);
        QVERIFY(cache.open(QIODevice::ReadOnly));
        const QJsonArray kept = QJsonDocument::fromJson(cache.readAll()).array();
        QCOMPARE(kept.size(), 43);
        QCOMPARE(kept.first().toObject().value(QStringLiteral("id")).toString(), id);

        // Logging out (SIGTERM) quits like the Quit command: a clean exit with status 0.
        ::kill(static_cast<pid_t>(zelvora.processId()), SIGTERM);
        QVERIFY(zelvora.waitForFinished(30000));
        log += output();
        QVERIFY2(zelvora.exitStatus() == QProcess::NormalExit && zelvora.exitCode() == 0, qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
