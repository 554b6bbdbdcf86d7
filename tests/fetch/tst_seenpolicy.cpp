// The pure rules of a poll at their edges: how fetched records and the kept list merge, and which kept
// records are new to the user (the soak walks the common paths through a month of polls). Polls are
// written as steps; a record is "id@t", published t seconds after time 0.
#include "fetch/KeptList.h"
#include "fetch/SeenPolicy.h"

#include <QTest>

namespace {
const Instant kZero = Instant::fromReferenceSeconds(800000000.0);

Announcement record(const QString& text)
{
    return Announcement(text.section(QLatin1Char('@'), 0, 0), QStringLiteral("t"), {}, {},
                        kZero.addSeconds(text.section(QLatin1Char('@'), 1).toDouble()), {});
}

AnnouncementList records(const QStringList& texts)
{
    AnnouncementList list;
    for (const QString& text : texts)
        list.append(record(text));
    return list;
}

QStringList ids(const AnnouncementList& list)
{
    QStringList out;
    for (const Announcement& a : list)
        out.append(a.id());
    return out;
}

// One poll at `at`: what each feed showed ({"!"}: it failed) and the identifiers it should report.
struct Step
{
    double at;
    QStringList issuer;
    QStringList market;
    QStringList reported;
};

// The fetcher's side of a run: the kept list, the seen set and the last poll's date it stores.
struct Run
{
    SeenPolicy policy;
    AnnouncementList kept;
    QSet<QString> seen;
    std::optional<Instant> lastPollDate;

    QStringList poll(const Step& step)
    {
        const auto feed = [](const QStringList& texts) {
            return texts == QStringList{QStringLiteral("!")} ? std::nullopt : std::optional(records(texts));
        };
        SeenPolicy::Poll poll{
            {}, seen, feed(step.issuer), feed(step.market), kZero.addSeconds(step.at), lastPollDate, 600};
        kept = KeptList::merge(poll.issuer.value_or(AnnouncementList()) +
                                   poll.market.value_or(AnnouncementList()),
                               kept, poll.now);
        poll.kept = kept;
        lastPollDate = poll.now;
        const SeenPolicy::Verdict verdict = policy.judge(poll);
        for (const QString& id : verdict.markSeen)
            seen.insert(id);
        return ids(verdict.newAnnouncements);
    }
};
} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestSeenPolicy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mergeRules_data()
    {
        QTest::addColumn<QStringList>("fetched");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("newest first, ties keep fetched-then-kept order")
            << QStringList{"i1@-50", "tie-a@-10", "tie-b@-10"} << QStringList{"tie-kept@-10", "k1@-5"}
            << QStringList{"k1", "tie-a", "tie-b", "tie-kept", "i1"};
        QTest::newRow("30 days, strictly")
            << QStringList{"edge@-2592000", "inside@-2591999"} << QStringList{} << QStringList{"inside"};
        QTest::newRow("a day ahead stays on top, further ahead is dropped")
            << QStringList{"now@0", "soon@86400", "2100@2.4e9"} << QStringList{"9999@2.5e11"}
            << QStringList{"soon", "now"};
    }

    void mergeRules()
    {
        QFETCH(QStringList, fetched);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, expected);
        QCOMPARE(ids(KeptList::merge(records(fetched), records(kept), kZero)), expected);
    }

    void fetchedCopyWinsAndTheNewest500Stay()
    {
        QCOMPARE(KeptList::merge(records({"a@-1", "a@-2"}), records({"a@-3"}), kZero), records({"a@-1"}));
        AnnouncementList many;
        for (int i = 0; i < 600; ++i)
            many.append(record(QStringLiteral("%1@%2").arg(i).arg(i - 600)));
        QCOMPARE(ids(KeptList::merge(many, {}, kZero).mid(499)), QStringList{"100"}); // the newest 500
    }

    void newRecords_data()
    {
        QTest::addColumn<double>("lastRunsPoll"); // the stored date before the first step (NaN: none)
        QTest::addColumn<QList<Step>>("steps");
        const QStringList failed{QStringLiteral("!")};
        QTest::newRow("a feed failing at start: at its first answer, what was there at start is not new")
            << qQNaN()
            << QList<Step>{{0, failed, {"m@-90"}, {}},
                           {60, failed, {"n@30", "m@-90"}, {"n"}},
                           {120, {"late@90", "early@-10", "edge@0"}, {"n@30"}, {"late"}}};
        QTest::newRow("a start within an interval (+60 s) goes on from the last run's last poll")
            << double(-660) << QList<Step>{{0, {"new@-100", "edge@-660", "old@-700"}, {}, {"new"}}};
        QTest::newRow("a start a second later does not")
            << double(-661) << QList<Step>{{0, {"new@-100"}, {}, {}}};
        QTest::newRow("a stored date in the future does not")
            << double(10) << QList<Step>{{0, {"ahead@30", "new@-100"}, {}, {}}};
    }

    void newRecords()
    {
        QFETCH(double, lastRunsPoll);
        QFETCH(QList<Step>, steps);
        Run run;
        if (!qIsNaN(lastRunsPoll))
            run.lastPollDate = kZero.addSeconds(lastRunsPoll);
        for (const Step& step : steps) {
            QCOMPARE(run.poll(step), step.reported);
            // Every kept record is marked seen, reported or not.
            for (const QString& id : ids(run.kept))
                QVERIFY(run.seen.contains(id));
        }
    }

    void notAFirstPoll()
    {
        // A one-shot poll with a seen set reports what it has not seen.
        Run run;
        run.policy.setFirstPoll(false);
        run.seen = {QStringLiteral("a")};
        QCOMPARE(run.poll({0, {"b@-10", "a@-20"}, {}, {}}), QStringList{"b"});
    }
};

QTEST_GUILESS_MAIN(TestSeenPolicy)
#include "tst_seenpolicy.moc"
