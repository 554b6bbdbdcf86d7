// One poll cycle: merge, order, prune, cap, cache, seen set, first-poll rule and the failure branch.
#include "FetcherHarness.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/KeptList.h"

#include <QFile>
#include <QSignalSpy>

using portalsim::Fault;
using portalsim::Feed;

namespace {
const Instant kNow = Instant::fromReferenceSeconds(800000000.0);

Announcement record(const QString& id, double age, const QString& title = QStringLiteral("t"))
{
    return Announcement(id, title, {}, {}, kNow.addSeconds(-age), {});
}

QStringList ids(const AnnouncementList& list)
{
    QStringList out;
    for (const Announcement& a : list)
        out.append(a.id());
    return out;
}

Fault status(int code)
{
    Fault fault;
    fault.status = code;
    return fault;
}
} // namespace

class TestPollCycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mergeRules_data()
    {
        QTest::addColumn<AnnouncementList>("fetched");
        QTest::addColumn<AnnouncementList>("kept");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first, ties keep issuer-market-kept order")
            << AnnouncementList{record("i1", 50), record("tie-issuer", 10), record("tie-market", 10)}
            << AnnouncementList{record("tie-kept", 10), record("k1", 5)}
            << QStringList{"k1", "tie-issuer", "tie-market", "tie-kept", "i1"};
        QTest::newRow("prune boundary is strict")
            << AnnouncementList{record("edge", 2592000), record("inside", 2591999)} << AnnouncementList{}
            << QStringList{"inside"};
        QTest::newRow("up to a day ahead stays on top, further ahead is dropped (old cache)")
            << AnnouncementList{record("now", 0), record("soon", -86400), record("2100", -2.4e9)}
            << AnnouncementList{record("9999", -2.5e11)} << QStringList{"soon", "now"};
        QTest::newRow("repeats: first met wins") << AnnouncementList{record("a", 1), record("a", 2)}
                                                 << AnnouncementList{record("a", 3)} << QStringList{"a"};
    }

    void mergeRules()
    {
        QFETCH(AnnouncementList, fetched);
        QFETCH(AnnouncementList, kept);
        QFETCH(QStringList, expected);
        QCOMPARE(ids(KeptList::merge(fetched, kept, kNow)), expected);
    }

    void fetchedCopyWinsAndCapKeepsNewest()
    {
        const AnnouncementList merged =
            KeptList::merge({record("a", 100, "new title")}, {record("a", 5, "old title")}, kNow);
        QCOMPARE(merged.size(), 1);
        QCOMPARE(merged.first().title(), QStringLiteral("new title"));
        QCOMPARE(merged.first().pubDate(), kNow.addSeconds(-100));

        AnnouncementList many;
        for (int i = 0; i < 600; ++i)
            many.append(record(QString::number(i), 600 - i));
        const AnnouncementList capped = KeptList::merge(many, {}, kNow);
        QCOMPARE(capped.size(), 500);
        QCOMPARE(capped.first().id(), QStringLiteral("599"));
        QCOMPARE(capped.last().id(), QStringLiteral("100"));
    }

    void firstThenSecondPoll()
    {
        FetcherHarness h;
        QSignalSpy broadcasts(h.fetcher.get(), &AnnouncementFetcher::pollFinished);
        QVERIFY(h.fetcher->isFirstPoll());

        const AnnouncementsUpdate first = h.pollAndWait();
        QVERIFY(!first.error);
        QVERIFY(first.newAnnouncements.isEmpty());
        QCOMPARE(first.all.size(), 400);
        QCOMPARE(h.fetcher->announcements(), first.all);
        QCOMPARE(h.preferences->seenAnnouncementIDs().size(), 400);
        QCOMPARE(h.preferences->lastPollDate(), std::optional<Instant>(h.clock.now()));
        QVERIFY(!h.fetcher->isFirstPoll());
        QCOMPARE(AnnouncementCache(h.dir.filePath("Quvex")).load(h.clock.now()), std::optional(first.all));
        QTRY_COMPARE(broadcasts.size(), 1);

        // The issuer feed now leads with two new items and the market feed with one.
        h.clock.advance(120);
        h.sim->advance(3);
        const AnnouncementsUpdate second = h.pollAndWait();
        QCOMPARE(second.newAnnouncements.size(), 3);
        QCOMPARE(second.newAnnouncements, second.all.mid(0, 3)); // kept-list order, newest first
        QCOMPARE(second.all.size(), 403);
        QVERIFY(h.preferences->hasSeen(second.newAnnouncements.first().id()));

        QVERIFY(h.fetcher->announcement(second.all.last().id()));
        QCOMPARE(*h.fetcher->announcement(second.all.at(7).id()), second.all.at(7));
        QVERIFY(!h.fetcher->announcement(QStringLiteral("se_0")));

        // A third poll with nothing new reports nothing.
        QVERIFY(h.pollAndWait().newAnnouncements.isEmpty());
    }

    void changedRecordIsReplacedNotReportedAgain()
    {
        FetcherHarness h(30, 0);
        h.pollAndWait();
        auto items = h.sim->items(true);
        const Announcement before = h.fetcher->announcements().first();
        items.front().headline += 1; // the portal rewords its newest announcement
        h.sim->setItems(true, items);
        const AnnouncementsUpdate update = h.pollAndWait();
        QVERIFY(update.newAnnouncements.isEmpty());
        QCOMPARE(update.all.first().id(), before.id());
        QVERIFY(update.all.first().description() != before.description());
    }

    void bothFeedsFailing()
    {
        FetcherHarness h;
        // A cache from an earlier run.
        const AnnouncementList cached{
            Announcement("se_1", "cached", {}, {}, h.clock.now().addSeconds(-60), {})};
        QVERIFY(AnnouncementCache(h.dir.filePath("Quvex")).save(cached, h.clock.now()));
        h.sim->setFault(Feed::IssuerEN, 1, status(503));
        h.sim->setFault(Feed::MarketEN, 1, status(403));

        const AnnouncementsUpdate failed = h.pollAndWait();
        QVERIFY(failed.error);
        QVERIFY(failed.newAnnouncements.isEmpty());
        QCOMPARE(failed.all, cached);
        QVERIFY(h.fetcher->isFirstPoll());
        QVERIFY(!h.preferences->lastPollDate());
        QVERIFY(h.preferences->seenAnnouncementIDs().isEmpty());

        // The next completed poll is still a first poll: nothing is reported.
        h.sim->clearFaults();
        const AnnouncementsUpdate recovered = h.pollAndWait();
        QVERIFY(!recovered.error);
        QVERIFY(recovered.newAnnouncements.isEmpty());
        QCOMPARE(recovered.all.size(), 401);
    }

    void oneFeedFailing()
    {
        FetcherHarness h;
        h.pollAndWait();
        h.sim->setFault(Feed::IssuerEN, 1, status(503));
        h.clock.advance(60);
        h.sim->advance(3);
        const AnnouncementsUpdate update = h.pollAndWait();
        QVERIFY(!update.error);
        QCOMPARE(update.newAnnouncements.size(), 1); // the market item; issuer items stay kept
        QCOMPARE(update.all.size(), 401);
    }

    // A feed that failed at the first poll shows what was there at start-up when it first answers:
    // that is not new, but what appeared since is.
    void feedFailingAtStartReportsOnlyLaterRecords()
    {
        FetcherHarness h;
        h.sim->setFault(Feed::IssuerEN, 0, status(503));
        QVERIFY(!h.pollAndWait().error);
        h.sim->clearFaults();
        h.clock.advance(60);
        h.sim->advance(3);
        const AnnouncementsUpdate update = h.pollAndWait();
        QCOMPARE(update.newAnnouncements.size(), 3);
        QCOMPARE(update.newAnnouncements, update.all.mid(0, 3));
    }

    // A quick restart goes on from the last run's last poll; after a long pause, what is on the
    // portal at start-up is not announced.
    void restartWithinAnIntervalReportsWhatAppearedSinceTheLastPoll()
    {
        FetcherHarness h;
        h.pollAndWait();
        h.makeFetcher();
        h.clock.advance(120);
        h.sim->advance(3);
        const AnnouncementsUpdate quick = h.pollAndWait();
        QCOMPARE(quick.newAnnouncements, quick.all.mid(0, 3));

        h.makeFetcher();
        h.clock.advance(3600);
        h.sim->advance(3);
        QVERIFY(h.pollAndWait().newAnnouncements.isEmpty());
    }

    // Records fetched but left out of a full kept list lose their seen mark; a restart of polling
    // that empties the list must not announce them when they fit again.
    void restartDoesNotReannounceRecordsLeftOutOfAFullList()
    {
        FetcherHarness h;
        h.pollAndWait();
        // New market news pushes the oldest issuer records, still on the portal's pages, out.
        h.clock.advance(60);
        for (int i = 0; i < 150; ++i)
            h.sim->addItem(false);
        QCOMPARE(h.pollAndWait().newAnnouncements.size(), 150);
        QCOMPARE(h.fetcher->announcements().size(), 500);
        h.fetcher->restartPolling();
        const AnnouncementsUpdate update = h.pollAndWait();
        QCOMPARE(update.all.size(), 400);
        QVERIFY(update.newAnnouncements.isEmpty());
    }

    void agedOutRecordsArePrunedOnAnEmptyPoll()
    {
        FetcherHarness h(10, 0);
        h.pollAndWait();
        h.sim->setItems(true, {});
        const AnnouncementList kept = h.fetcher->announcements();
        const Instant oldest = kept.last().pubDate();
        // Exactly 30 days after the oldest record, it leaves; the next one is far younger.
        h.clock.set(oldest.addSeconds(2592000));
        const AnnouncementsUpdate update = h.pollAndWait();
        QVERIFY(!update.error);
        QCOMPARE(update.all, kept.mid(0, kept.size() - 1));
        QCOMPARE(AnnouncementCache(h.dir.filePath("Quvex")).load(h.clock.now())->size(), kept.size() - 1);
    }

    void arabicFeed()
    {
        FetcherHarness h(5, 5);
        h.preferences->setLanguage(QStringLiteral("ar"));
        const AnnouncementsUpdate update = h.pollAndWait();
        QCOMPARE(update.all.size(), 10);
        for (const auto& request : h.sim->requests())
            QVERIFY(*request.feed == Feed::IssuerAR || *request.feed == Feed::MarketAR);
        for (const Announcement& a : update.all) {
            QVERIFY(a.isArabic());
            QVERIFY(a.link().contains(QLatin1String("locale=ar")));
        }
    }
};

QTEST_GUILESS_MAIN(TestPollCycle)
#include "tst_pollcycle.moc"
