// Joining, restart during a poll, the timer, and access from other threads while a poll waits on the
// network. Polls are held at the simulator (no sleeping): a request blocks until the test releases it.
#include "FetcherHarness.h"

#include <QFile>
#include <QSignalSpy>
#include <thread>

using portalsim::Fault;
using portalsim::Feed;

namespace {
Fault held()
{
    Fault fault;
    fault.hold = true;
    return fault;
}
} // namespace

class TestPollSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestsDuringAPollJoinIt()
    {
        FetcherHarness h;
        QSignalSpy started(h.fetcher.get(), &AnnouncementFetcher::pollStarted);
        QSignalSpy finished(h.fetcher.get(), &AnnouncementFetcher::pollFinished);
        h.sim->setFault(Feed::IssuerEN, 1, held());
        h.fetcher->poll();
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);
        QVERIFY(h.fetcher->isPolling());

        h.fetcher->poll();
        // From another thread too: handed to the fetcher's thread, still one poll.
        std::thread other([&] { h.fetcher->poll(); });
        other.join();
        // Reads answer while the poll waits on the network.
        QVERIFY(h.fetcher->announcements().isEmpty());
        QVERIFY(!h.fetcher->announcement(QStringLiteral("se_1")));
        QCoreApplication::processEvents();

        h.sim->releaseHeld();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCOMPARE(started.size(), 1);
        QCOMPARE(int(h.sim->requestCount()), FetcherHarness::kRequestsPerPoll);
        QVERIFY(!h.fetcher->isPolling());
        // Nothing was queued for later.
        QCoreApplication::processEvents();
        QCOMPARE(int(h.sim->requestCount()), FetcherHarness::kRequestsPerPoll);
    }

    void restartDuringAPoll()
    {
        FetcherHarness h;
        h.pollAndWait();
        const QString cacheFile = h.fetcher->cacheFilePath();
        QVERIFY(QFile::exists(cacheFile));
        h.sim->clearRequests();

        h.clock.advance(60);
        h.sim->advance(2);
        h.sim->setFault(Feed::MarketEN, 2, held());
        QSignalSpy finished(h.fetcher.get(), &AnnouncementFetcher::pollFinished);
        h.fetcher->poll();
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);

        h.fetcher->restartPolling();
        // At once, while the poll still waits.
        QVERIFY(h.fetcher->announcements().isEmpty());
        QVERIFY(!QFile::exists(cacheFile));
        QVERIFY(!h.fetcher->isFirstPoll());
        QVERIFY(h.fetcher->schedule().isRunning());
        QVERIFY(finished.isEmpty());

        h.sim->releaseHeld();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        // The restart's immediate poll joined the one in flight: one poll's requests only.
        QCOMPARE(int(h.sim->requestCount()), FetcherHarness::kRequestsPerPoll);
        // That poll merged with the emptied list (the two oldest kept records are gone) and saved again.
        QCOMPARE(h.fetcher->announcements().size(), 400);
        QVERIFY(QFile::exists(cacheFile));
    }

    void timerIntervalIsReadWhenArmed_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("milliseconds");
        QTest::newRow("none") << -1.0 << 180000;
        QTest::newRow("zero") << 0.0 << 180000;
        QTest::newRow("600") << 600.0 << 600000;
        QTest::newRow("30") << 30.0 << 30000;
    }

    void timerIntervalIsReadWhenArmed()
    {
        QFETCH(double, stored);
        QFETCH(int, milliseconds);
        FetcherHarness h(5, 5);
        if (stored >= 0)
            h.preferences->setPollInterval(stored);
        QSignalSpy finished(h.fetcher.get(), &AnnouncementFetcher::pollFinished);
        h.fetcher->startPolling();
        QVERIFY(h.fetcher->isPolling()); // the immediate poll
        QCOMPARE(h.fetcher->schedule().intervalMs(), milliseconds);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);

        // A changed setting takes effect only through a restart.
        h.preferences->setPollInterval(900);
        QCOMPARE(h.fetcher->schedule().intervalMs(), milliseconds);
        h.fetcher->restartPolling();
        QCOMPARE(h.fetcher->schedule().intervalMs(), 900000);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
    }

    void ticksDuringAPollAreAbsorbed()
    {
        FetcherHarness h;
        QSignalSpy started(h.fetcher.get(), &AnnouncementFetcher::pollStarted);
        QSignalSpy finished(h.fetcher.get(), &AnnouncementFetcher::pollFinished);
        h.sim->setFault(Feed::IssuerEN, 1, held());
        h.fetcher->startPolling();
        h.fetcher->startPolling(); // twice: one timer, one shared poll
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);
        QVERIFY(h.fetcher->schedule().isRunning());
        QVERIFY(QMetaObject::invokeMethod(const_cast<PollSchedule*>(&h.fetcher->schedule()), "due"));
        h.sim->releaseHeld();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 30000);
        QCoreApplication::processEvents();
        QCOMPARE(started.size(), 1);
        QCOMPARE(int(h.sim->requestCount()), FetcherHarness::kRequestsPerPoll);

        // A tick when idle starts a poll.
        QVERIFY(QMetaObject::invokeMethod(const_cast<PollSchedule*>(&h.fetcher->schedule()), "due"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 30000);
    }

    void destroyedWhileARequestIsHeld()
    {
        FetcherHarness h;
        h.sim->setFault(Feed::IssuerEN, 1, held());
        h.fetcher->poll();
        QTRY_COMPARE_WITH_TIMEOUT(h.sim->heldCount(), 1, 30000);
        h.fetcher.reset();
        QCOMPARE(h.sim->heldCount(), 1); // the server still waits; the fetcher did not
    }
};

QTEST_GUILESS_MAIN(TestPollSchedule)
#include "tst_pollschedule.moc"
