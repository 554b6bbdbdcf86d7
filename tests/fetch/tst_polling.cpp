// Polling against the portal simulator on a held clock: the cycle and its failure branch, when polls
// happen (requests held at the simulator until the test releases them; a resume announced by a
// stand-in logind on a private bus, the network going and coming back), and what the user is told.
#include "fetch/AnnouncementCache.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/WakeUpPolling.h"
#include "support/ContextHarness.h"
#include "support/StdoutCapture.h"
#include "support/TestFiles.h"

#include <QDBusMessage>
#include <QFile>
#include <thread>

using namespace Qt::StringLiterals;

using portalsim::Fault;
using portalsim::Feed;
using State = PollStatus::State;

namespace {
const Fault held{.hold = true}; // answered only when the test releases it

// A system service's signal, sent from the connection that holds the service's name.
void sendSignal(QDBusConnection& bus, const QString& service, const QString& interface, const QString& name,
                const QVariant& argument)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(u'/' + QString(service).replace(u'.', u'/'), interface, name);
    signal << argument;
    bus.send(signal);
}

void prepareForSleep(QDBusConnection& bus, bool sleeping)
{
    sendSignal(bus, u"org.freedesktop.login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s,
               sleeping);
}

void networkManagerState(QDBusConnection& bus, uint state)
{
    const QString networkManager = u"org.freedesktop.NetworkManager"_s;
    sendSignal(bus, networkManager, networkManager, u"StateChanged"_s, state);
}
} // namespace

class TestPolling : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bothFeedsFailingKeepsTheCacheAndTheBaseline()
    {
        ContextHarness h;
        const AnnouncementList cached{
            Announcement("se_1", "cached", {}, {}, h.clock.now().addSeconds(-60), {})};
        QVERIFY(AnnouncementCache(h.paths().cacheDirectory()).save(cached, h.clock.now()));
        h.sim->setFault(Feed::IssuerEN, 1, Fault{.status = 503});
        h.sim->setFault(Feed::MarketEN, 1, Fault{.status = 503});
        const AnnouncementsUpdate failed = h.pollAndWait();
        QVERIFY(failed.error && !h.preferences().lastPollDate());
        QCOMPARE(failed.all, cached);

        // The next answered poll is still the baseline: nothing is reported.
        h.sim->clearFaults();
        h.sim->clearRequests();
        h.preferences().setLanguage(u"ar"_s);
        const AnnouncementsUpdate recovered = h.pollAndWait();
        QVERIFY(!recovered.error && recovered.newAnnouncements.isEmpty());
        QCOMPARE(recovered.all.size(), 401); // 5 issuer pages and 3 market pages of 50, and the cached one
        for (const auto& request : h.sim->requests())
            QVERIFY(*request.feed == Feed::IssuerAR || *request.feed == Feed::MarketAR);
    }

    // The issuer directory is read once, and again when another process changed it.
    void issuersAreLearnedAndReadAgainOnlyWhenChanged()
    {
        ContextHarness h(5, 0);
        h.pollAndWait();
        IssuerDirectory other(h.paths().cacheDirectory());
        QCOMPARE(other.issuers().size(), 5);
        const QString known = other.issuers().first().symbol;
        const Announcement foreign(u"se_x"_s, u"Other Co."_s, {}, u"https://x/issuer-announcements/?anId=1"_s,
                                   h.clock.now(), {u"9999"_s});
        QVERIFY(other.learn({foreign}, h.clock.now()) && other.save());
        // Two days on, every issuer is seen anew and the file written again, keeping the other's entry.
        h.clock.advance(2 * 86400);
        h.pollAndWait();
        const IssuerDirectory after(h.paths().cacheDirectory());
        QVERIFY(after.find(u"9999"_s));
        QCOMPARE(after.find(known)->lastSeen, h.clock.now());
    }

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
        QDBusConnection logind = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"logind"_s);
        QVERIFY(logind.registerService(u"org.freedesktop.login1"_s));
        QDBusConnection networkManager =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"networkmanager"_s);
        QVERIFY(networkManager.registerService(u"org.freedesktop.NetworkManager"_s));
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
            QVERIFY(capture.text().startsWith(u"[Network] Offline"_s));
            QCOMPARE(capture.text().count(u'\n'), 1);
        }
        h.sim->clearFaults();
        h.sim->setFault(Feed::IssuerEN, 0, down);
        StdoutCapture capture;
        networkManagerState(networkManager, 0); // doubtful: changes nothing
        networkManagerState(networkManager, 70);
        QTRY_COMPARE(finished.size(), 4);
        QVERIFY(capture.text().contains(u"[Fetcher] Issuer announcements error"_s));
        QDBusConnection::disconnectFromBus(u"logind"_s);
        QDBusConnection::disconnectFromBus(u"networkmanager"_s);
    }

    void withoutSystemBusNothingIsWatched()
    {
        QVERIFY(!SleepWatcher(QDBusConnection(u"no such bus"_s)).isWatching());
    }

    void outageAndRecovery()
    {
        ContextHarness h(60, 20);
        const QTimeZone utc = QTimeZone::utc();
        const auto summary = [&h, &utc](const AnnouncementsUpdate& update) {
            return update.status.summary(h.clock.now(), utc);
        };
        // The program's own times: 12-hour, in the given zone.
        const auto clockTime = [&h] { return QLocale::c().toString(h.clock.now().toDateTime(), u"h:mm AP"); };
        const QString firstTime = clockTime();
        QCOMPARE(h.fetcher().pollStatus().state(), State::Unknown);
        QCOMPARE(summary(h.pollAndWait()), u"Checked "_s + firstTime);

        // One feed failing is only mentioned: Zelvora still hears from the other.
        h.sim->setFault(Feed::MarketEN, 0, Fault{.status = 503});
        h.clock.advance(180);
        AnnouncementsUpdate update = h.pollAndWait();
        QCOMPARE(update.status.state(), State::PartlyFailing);
        QVERIFY(summary(update).endsWith(u", but market news failed (HTTP 503)"_s));
        const Instant lastHeard = h.clock.now();

        // Both failing: "can't reach" at once, "not watching" only after half an hour and three polls.
        h.sim->setFault(Feed::IssuerEN, 0, Fault{.status = 403});
        StdoutCapture log;
        h.clock.advance(180);
        const QString since = clockTime();
        QList<State> states;
        for (const int minutes : {0, 10, 20, 11, 10}) {
            h.clock.advance(minutes * 60);
            update = h.pollAndWait();
            states << update.status.state();
        }
        QCOMPARE(states, (QList<State>{State::Failing, State::Failing, State::Failing, State::NotWatching,
                                       State::NotWatching}));
        QCOMPARE(summary(update),
                 u"Can't reach the Saudi Exchange since %1 (403 Access Denied)"_s.arg(since));
        QCOMPARE(update.status.lastSuccess(), lastHeard);
        QCOMPARE(update.status.failures().first().error, u"badStatus(403)"_s);

        // The state survives a restart (read back from the file), and one answer ends it.
        h.restart();
        QCOMPARE(h.fetcher().pollStatus(), update.status);
        h.sim->clearFaults();
        h.clock.advance(600);
        update = h.pollAndWait();
        QCOMPARE(update.status.state(), State::Watching);
        QCOMPARE(update.status.lastFailure()->referenceSeconds(), h.clock.now().referenceSeconds() - 600);

        // The outage's start and end are logged once each, not at every failed poll.
        QCOMPARE(log.text().count(u"[Fetcher] Not watching: no feed has answered since "_s), 1);
        QCOMPARE(log.text().count(u"[Fetcher] Watching again"_s), 1);
    }

    // Both thresholds must be passed: few polls in a long outage are still only failing (many polls in
    // a short one: outageAndRecovery).
    void notWatchingThresholds()
    {
        const auto afterPolls = [](QList<int> minutes) {
            PollStatus status;
            for (const int minute : minutes)
                status.record(Instant::fromReferenceSeconds(minute * 60.0),
                              {{u"issuer"_s, {}, {}}, {u"market"_s, {}, {}}}, true);
            return status.state();
        };
        QCOMPARE(afterPolls({0, 45}), State::Failing);
        QCOMPARE(afterPolls({0, 45, 46}), State::NotWatching);
    }

    // A status file far larger than any written (a hostile or damaged one) is not read at all.
    void anOversizedFileIsNotRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"poll-status.json"_s);
        PollStatus status;
        status.record(Instant::fromReferenceSeconds(60.0), {}, true);
        QVERIFY(status.save(path));
        QCOMPARE(PollStatus::load(path), status);
        QVERIFY(writeFile(path, readFile(path) + QByteArray(PollStatus::kMaxFileBytes, ' ')));
        QCOMPARE(PollStatus::load(path), PollStatus());
    }
};

QTEST_GUILESS_MAIN(TestPolling)
#include "tst_polling.moc"
