// Waking up: a resume announced by a stand-in logind on a private bus, and the network going and
// coming back, each drive the real fetcher against the portal simulator.
#include "FetcherHarness.h"
#include "fetch/WakeUpPolling.h"
#include "support/StdoutCapture.h"

#include <QDBusMessage>
#include <QSignalSpy>

using portalsim::Fault;
using portalsim::Feed;

namespace {
// logind's side: owns its well-known name on the bus and announces sleep and resume.
class LogindStandIn
{
public:
    LogindStandIn()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind")))
    {
        m_registered = m_bus.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    ~LogindStandIn() { QDBusConnection::disconnectFromBus(QStringLiteral("logind")); }

    bool registered() const { return m_registered; }
    void prepareForSleep(bool sleeping)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        m_bus.send(signal);
    }

private:
    QDBusConnection m_bus;
    bool m_registered = false;
};
} // namespace

class TestWakeUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resumePollsAtOnceThenKeepsTheInterval()
    {
        FetcherHarness h;
        h.preferences->setPollInterval(600);
        WakeUpPolling wakeUps(*h.fetcher, QDBusConnection::sessionBus());
        QVERIFY(wakeUps.sleepWatcher().isWatching());
        LogindStandIn logind;
        QVERIFY(logind.registered());
        QSignalSpy resumed(&wakeUps.sleepWatcher(), &SleepWatcher::resumed);
        QSignalSpy started(h.fetcher.get(), &AnnouncementFetcher::pollStarted);
        QSignalSpy finished(h.fetcher.get(), &AnnouncementFetcher::pollFinished);

        h.fetcher->startPolling();
        QTRY_COMPARE(finished.size(), 1);
        h.clock.advance(100);

        logind.prepareForSleep(true);
        logind.prepareForSleep(false);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(resumed.size(), 1); // going to sleep polls nothing
        QCOMPARE(started.size(), 2);
        // The interval counts from the wake-up poll.
        QCOMPARE(h.fetcher->schedule().nextPoll(), std::optional(h.clock.now().addSeconds(600)));

        // A resume while a poll waits for the portal joins that poll.
        Fault hold;
        hold.hold = true;
        h.sim->setFault(Feed::MarketEN, 1, hold);
        h.fetcher->poll();
        QTRY_VERIFY(h.sim->heldCount() > 0);
        logind.prepareForSleep(false);
        QTRY_COMPARE(resumed.size(), 2);
        h.sim->releaseHeld();
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(started.size(), 3);
    }

    void withoutSystemBusNothingIsWatched()
    {
        SleepWatcher watcher(QDBusConnection(QStringLiteral("no such bus")));
        QVERIFY(!watcher.isWatching());
    }

    void offlineLogsOneLineAndTheReturnPollsAtOnce()
    {
        FetcherHarness h;
        WakeUpPolling wakeUps(*h.fetcher, QDBusConnection::sessionBus());
        h.fetcher->startPolling();
        QSignalSpy started(h.fetcher.get(), &AnnouncementFetcher::pollStarted);
        QTRY_VERIFY(!h.fetcher->isPolling());

        Fault down;
        down.status = 503;
        for (const Feed feed : {Feed::IssuerEN, Feed::MarketEN})
            h.sim->setFault(feed, 0, down);
        QString offlineLog;
        {
            StdoutCapture capture;
            wakeUps.networkWatcher().setOnline(false);
            wakeUps.networkWatcher().setOnline(false);
            QVERIFY(h.pollAndWait().error);
            QVERIFY(h.pollAndWait().error);
            offlineLog = capture.text();
        }
        QCOMPARE(offlineLog.count(QLatin1Char('\n')), 1);
        QVERIFY(offlineLog.startsWith(QLatin1String("[Network] Offline")));

        h.sim->clearFaults();
        const int before = started.size();
        wakeUps.networkWatcher().setOnline(true);
        QTRY_COMPARE(started.size(), before + 1);
        QTRY_VERIFY(!h.fetcher->isPolling());
        // Back online, failures are logged again.
        h.sim->setFault(Feed::IssuerEN, 0, down);
        StdoutCapture capture;
        h.pollAndWait();
        QVERIFY(capture.text().contains(QLatin1String("[Fetcher] Issuer announcements error")));
    }
};

QTEST_GUILESS_MAIN(TestWakeUp)
#include "tst_wakeup.moc"
