// What the user is told about the polls (when the exchange last answered, what fails, whether
// Zelvora is still watching), driven by the portal simulator's faults on a held clock.
#include "support/ContextHarness.h"
#include "support/StdoutCapture.h"

#include <QFile>

using portalsim::Fault;
using portalsim::Feed;
using State = PollStatus::State;

class TestPollStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        QCOMPARE(summary(h.pollAndWait()), QStringLiteral("Checked ") + firstTime);

        // One feed failing is only mentioned: Zelvora still hears from the other.
        h.sim->setFault(Feed::MarketEN, 0, Fault{.status = 503});
        h.clock.advance(180);
        AnnouncementsUpdate update = h.pollAndWait();
        QCOMPARE(update.status.state(), State::PartlyFailing);
        QVERIFY(summary(update).endsWith(QLatin1String(", but market news failed (HTTP 503)")));
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
                 QStringLiteral("Can't reach the Saudi Exchange since %1 (403 Access Denied)").arg(since));
        QCOMPARE(update.status.lastSuccess(), lastHeard);
        QCOMPARE(update.status.failures().first().error, QStringLiteral("badStatus(403)"));

        // The state survives a restart (read back from the file), and one answer ends it.
        h.restart();
        QCOMPARE(h.fetcher().pollStatus(), update.status);
        h.sim->clearFaults();
        h.clock.advance(600);
        update = h.pollAndWait();
        QCOMPARE(update.status.state(), State::Watching);
        QCOMPARE(update.status.lastFailure()->referenceSeconds(), h.clock.now().referenceSeconds() - 600);

        // The outage's start and end are logged once each, not at every failed poll.
        QCOMPARE(log.text().count(QStringLiteral("[Fetcher] Not watching: no feed has answered since ")), 1);
        QCOMPARE(log.text().count(QStringLiteral("[Fetcher] Watching again")), 1);
    }

    // Both thresholds must be passed: few polls in a long outage are still only failing (many polls in
    // a short one: outageAndRecovery).
    void notWatchingThresholds()
    {
        const auto afterPolls = [](QList<int> minutes) {
            PollStatus status;
            for (const int minute : minutes)
                status.record(Instant::fromReferenceSeconds(minute * 60.0),
                              {{QStringLiteral("issuer"), {}, {}}, {QStringLiteral("market"), {}, {}}}, true);
            return status.state();
        };
        QCOMPARE(afterPolls({0, 45}), State::Failing);
        QCOMPARE(afterPolls({0, 45, 46}), State::NotWatching);
    }

    // A status file far larger than any written (a hostile or damaged one) is not read at all.
    void anOversizedFileIsNotRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("poll-status.json"));
        PollStatus status;
        status.record(Instant::fromReferenceSeconds(60.0), {}, true);
        QVERIFY(status.save(path));
        QCOMPARE(PollStatus::load(path), status);
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(QByteArray(PollStatus::kMaxFileBytes, ' '));
        file.close();
        QCOMPARE(PollStatus::load(path), PollStatus());
    }
};

QTEST_GUILESS_MAIN(TestPollStatus)
#include "tst_pollstatus.moc"
