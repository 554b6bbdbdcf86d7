// The poll cycle end to end against the portal simulator: fetch, merge, cache file, seen set, and
// the failure branch. Which records are new is tested on the archive's rules (tst_archive).
#include "fetch/AnnouncementCache.h"
#include "fetch/IssuerDirectory.h"
#include "support/ContextHarness.h"

using portalsim::Fault;
using portalsim::Feed;

class TestPollCycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The soak checks the cycle's invariants at every poll (kept list, cache file, seen set); here the
    // first poll's size, and the order and lookup of what is new.
    void firstThenSecondPoll()
    {
        ContextHarness h;
        const AnnouncementsUpdate first = h.pollAndWait();
        QVERIFY(!first.error && first.newAnnouncements.isEmpty());
        QCOMPARE(first.all.size(), 400); // 5 issuer pages and 3 market pages of 50
        h.clock.advance(120);
        h.sim->advance(3); // two issuer items and one market item
        const AnnouncementsUpdate second = h.pollAndWait();
        QCOMPARE(second.newAnnouncements, second.all.mid(0, 3));
        QCOMPARE(*h.fetcher().announcement(second.all.at(7).id()), second.all.at(7));
    }

    void bothFeedsFailingKeepsTheCacheAndTheBaseline()
    {
        ContextHarness h;
        const AnnouncementList cached{
            Announcement("se_1", "cached", {}, {}, h.clock.now().addSeconds(-60), {})};
        QVERIFY(AnnouncementCache(h.paths().cacheDirectory()).save(cached, h.clock.now()));
        h.sim->setFault(Feed::IssuerEN, 1, Fault{.status = 503});
        h.sim->setFault(Feed::MarketEN, 1, Fault{.status = 503});
        const AnnouncementsUpdate failed = h.pollAndWait();
        QVERIFY(failed.error);
        QCOMPARE(failed.all, cached);
        QVERIFY(!h.preferences().lastPollDate());
        QVERIFY(h.preferences().seenAnnouncementIDs().isEmpty());

        // The next answered poll is still the baseline: nothing is reported.
        h.sim->clearFaults();
        h.sim->clearRequests();
        h.preferences().setLanguage(QStringLiteral("ar"));
        const AnnouncementsUpdate recovered = h.pollAndWait();
        QVERIFY(!recovered.error);
        QVERIFY(recovered.newAnnouncements.isEmpty());
        QCOMPARE(recovered.all.size(), 401);
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
        const Announcement foreign(QStringLiteral("se_x"), QStringLiteral("Other Co."), {},
                                   QStringLiteral("https://x/issuer-announcements/?anId=1"), h.clock.now(),
                                   {QStringLiteral("9999")});
        QVERIFY(other.learn({foreign}, h.clock.now()) && other.save());
        // Two days on, every issuer is seen anew and the file written again, keeping the other's entry.
        h.clock.advance(2 * 86400);
        h.pollAndWait();
        const IssuerDirectory after(h.paths().cacheDirectory());
        QVERIFY(after.find(QStringLiteral("9999")));
        QCOMPARE(after.find(known)->lastSeen, h.clock.now());
    }
};

QTEST_GUILESS_MAIN(TestPollCycle)
#include "tst_pollcycle.moc"
