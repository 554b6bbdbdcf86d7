// When polls happen: the schedule on a held clock, joining a poll in flight (requests are held at
// the simulator until the test releases them), a restart during a poll, and waking up (a resume
// announced by a stand-in logind on a private bus, the network going and coming back).
#include "fetch/AnnouncementCache.h"
#include "fetch/WakeUpPolling.h"
#include "support/ContextHarness.h"
#include "support/StdoutCapture.h"

#include <QDBusMessage>
#include <QFile>
#include <thread>

using portalsim::Fault;
using portalsim::Feed;

namespace {
const Fault held{.hold = true}; // answered only when the test releases it

// A system service's signal, sent from the connection that holds the service's name.
void sendSignal(QDBusConnection& bus, const QString& service, const QString& interface, const QString& name,
                const QVariant& argument)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1Char('/') + QString(service).replace(QLatin1Char('.'), QLatin1Char('/')), interface, name);
    signal << argument;
    bus.send(signal);
}

void prepareForSleep(QDBusConnection& bus, bool sleeping)
{
    sendSignal(bus, QStringLiteral("org.freedesktop.login1"),
               QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), sleeping);
}

void networkManagerState(QDBusConnection& bus, uint state)
{
    const QString networkManager = QStringLiteral("org.freedesktop.NetworkManager");
    sendSignal(bus, networkManager, networkManager, QStringLiteral("StateChanged"), state);
}
} // namespace

class TestPollSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scheduleCountsFromTheLastStartOrWakeUp()
    {
        ManualClock clock(Instant::fromReferenceSeconds(800000000));
        PollSchedule schedule(clock);
        QSignalSpy due(&schedule, &PollSchedule::due);
        schedule.wakeUp(600); // not running: due at once, nothing scheduled
        QCOMPARE(due.size(), 1);
        QVERIFY(!schedule.nextPoll());
        schedule.start(600);
        QCOMPARE(due.size(), 2);
        QCOMPARE(schedule.nextPoll(), std::optional(clock.now().addSeconds(600)));
        clock.advance(100);
        schedule.wakeUp(900); // the interval as stored now
        QCOMPARE(due.size(), 3);
        QCOMPARE(schedule.nextPoll(), std::optional(clock.now().addSeconds(900)));
        schedule.stop();
        QVERIFY(!schedule.nextPoll());
    }

    void requestsDuringAPollJoinIt()
    {
        ContextHarness h;
        QSignalSpy started(&h.fetcher(), &AnnouncementFetcher::pollStarted);
        QSignalSpy finished(&h.fetcher(), &AnnouncementFetcher::pollFinished);
        h.sim->setFault(Feed::IssuerEN, 1, held);
        h.fetcher().startPolling();
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);
        h.fetcher().poll();
        h.fetcher().wakeUp();
        std::thread other([&] { h.fetcher().poll(); }); // handed to the fetcher's thread
        other.join();
        // Reads answer while the poll waits on the network.
        QVERIFY(h.fetcher().announcements().isEmpty());
        QCoreApplication::processEvents();

        h.sim->releaseHeld();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCoreApplication::processEvents(); // nothing was queued for later
        QCOMPARE(started.size(), 1);
        QCOMPARE(int(h.sim->requestCount()), ContextHarness::kRequestsPerPoll);
    }

    void restartDuringAPoll()
    {
        ContextHarness h;
        h.pollAndWait();
        const QString cacheFile = h.fetcher().cacheFilePath();
        h.sim->clearRequests();
        h.clock.advance(60);
        h.sim->advance(2);
        h.sim->setFault(Feed::MarketEN, 2, held);
        QSignalSpy finished(&h.fetcher(), &AnnouncementFetcher::pollFinished);
        h.fetcher().poll();
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);

        h.preferences().setPollInterval(900);
        h.fetcher().restartPolling();
        // At once, while the poll still waits.
        QVERIFY(h.fetcher().announcements().isEmpty());
        QVERIFY(!QFile::exists(cacheFile));
        QCOMPARE(h.fetcher().schedule().intervalMs(), 900000);

        h.sim->releaseHeld();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        // The restart's poll joined the one in flight, which merged with the emptied list (the two
        // oldest records are gone) and saved it: the old list does not come back.
        QCOMPARE(int(h.sim->requestCount()), ContextHarness::kRequestsPerPoll);
        QCOMPARE(h.fetcher().announcements().size(), 400);
        QCOMPARE(AnnouncementCache(QFileInfo(cacheFile).path()).load(h.clock.now())->size(), 400);
    }

    void resumeAndNetworkReturnPollAtOnce()
    {
        ContextHarness h;
        h.preferences().setPollInterval(600);
        WakeUpPolling wakeUps(h.fetcher(), QDBusConnection::sessionBus());
        QDBusConnection logind =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("logind"));
        QVERIFY(logind.registerService(QStringLiteral("org.freedesktop.login1")));
        QDBusConnection networkManager =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("networkmanager"));
        QVERIFY(networkManager.registerService(QStringLiteral("org.freedesktop.NetworkManager")));
        QVERIFY(wakeUps.watchSystemNetwork());
        QSignalSpy finished(&h.fetcher(), &AnnouncementFetcher::pollFinished);
        h.fetcher().startPolling();
        QTRY_COMPARE(finished.size(), 1);

        h.clock.advance(100);
        prepareForSleep(logind, true); // going to sleep polls nothing
        prepareForSleep(logind, false);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(h.fetcher().schedule().nextPoll(), std::optional(h.clock.now().addSeconds(600)));

        // Offline: failing polls are not logged, one line says why.
        const Fault down{.status = 503};
        h.sim->setFault(Feed::IssuerEN, 0, down);
        h.sim->setFault(Feed::MarketEN, 0, down);
        {
            StdoutCapture capture;
            networkManagerState(networkManager, 50); // a local network without a way out
            networkManagerState(networkManager, 20); // none
            QTRY_VERIFY(!wakeUps.networkWatcher().isOnline());
            QVERIFY(h.pollAndWait().error);
            QVERIFY(capture.text().startsWith(QLatin1String("[Network] Offline")));
            QCOMPARE(capture.text().count(QLatin1Char('\n')), 1);
        }
        h.sim->clearFaults();
        h.sim->setFault(Feed::IssuerEN, 0, down);
        StdoutCapture capture;
        networkManagerState(networkManager, 0); // doubtful: changes nothing
        networkManagerState(networkManager, 70);
        QTRY_COMPARE(finished.size(), 4);
        QVERIFY(capture.text().contains(QLatin1String("[Fetcher] Issuer announcements error")));
        QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
        QDBusConnection::disconnectFromBus(QStringLiteral("networkmanager"));
    }

    void withoutSystemBusNothingIsWatched()
    {
        QVERIFY(!SleepWatcher(QDBusConnection(QStringLiteral("no such bus"))).isWatching());
    }
};

QTEST_GUILESS_MAIN(TestPollSchedule)
#include "tst_pollschedule.moc"
