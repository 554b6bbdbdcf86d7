// The archive's answer to "is this new?", what is owed between processes, and storage faults, on a
// real SQLite file. The soak runs the same through a month of polls; here the edges.
#include "archive/PollRecorder.h"
#include "model/AnnouncementCategory.h"
#include "model/TradingCalendar.h"
#include "notify/NotificationGate.h"
#include "notify/NotificationManager.h"
#include "support/FileSizeLimit.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {
const Instant kNoon = Instant::fromUnixSeconds(1780000000);

Announcement record(const QString& id, double minutesFromNoon)
{
    return Announcement(id, u"Title "_s + id, u"Text"_s, u"https://x/"_s + id,
                        kNoon.addSeconds(minutesFromNoon * 60), {u"2222"_s});
}

const QSet<QString> kBoth{u"tadawul"_s, u"market"_s};

QList<AnnouncementArchive::Record> fetched(const AnnouncementList& list)
{
    QList<AnnouncementArchive::Record> out;
    for (const Announcement& announcement : list)
        out.append({announcement, u"tadawul"_s, u"en"_s});
    return out;
}

QStringList ids(const AnnouncementList& list)
{
    QStringList out;
    for (const Announcement& announcement : list)
        out.append(announcement.id());
    return out;
}
} // namespace

class TestArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PollRecorder::Previous m_previous;

    std::unique_ptr<PollRecorder> recorder(const QString& teller)
    {
        return std::make_unique<PollRecorder>(m_dir.path(), teller, [this] { return m_previous; });
    }

private Q_SLOTS:
    void init()
    {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_previous = {};
    }

    void newsRule()
    {
        using V = NewsRule::Verdict;
        const struct
        {
            bool baselineDone, hasLastPoll, languageChanged, known;
            double minutesFromLastPoll;
            V verdict;
        } rows[] = {
            {false, false, false, false, 10, V::Baseline}, // the archive empty
            {true, true, false, true, 10, V::Known},
            {true, false, false, false, 10, V::Silent}, // no poll recorded
            {true, true, false, false, 10, V::News},
            {true, true, false, false, -59, V::News},   // listed late
            {true, true, false, false, -60, V::Silent}, // an hour and more before
            {true, true, true, false, -1, V::Silent},   // in the other language, before
            {true, true, true, false, 1, V::News},
        };
        for (const auto& row : rows) {
            const NewsRule::Context context{
                row.baselineDone, row.hasLastPoll ? std::optional(kNoon) : std::nullopt, row.languageChanged};
            QCOMPARE(NewsRule::judge(context, row.known, kNoon.addSeconds(row.minutesFromLastPoll * 60)),
                     row.verdict);
        }
    }

    void bursts_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("matches");
        QTest::addColumn<int>("groupAbove");
        QTest::addColumn<int>("oneByOne");
        QTest::addColumn<int>("summarized");
        QTest::newRow("at the threshold") << 5 << 0 << 5 << 5 << 0;
        QTest::newRow("one above") << 6 << 0 << 5 << 0 << 6;
        QTest::newRow("one above, two matches") << 6 << 2 << 5 << 2 << 4;
        QTest::newRow("40 at the opening, 8 matches") << 40 << 8 << 5 << 5 << 35;
        QTest::newRow("never grouped") << 40 << 0 << 0 << 40 << 0;
    }

    void bursts()
    {
        QFETCH(int, count);
        QFETCH(int, matches);
        QFETCH(int, groupAbove);
        QFETCH(int, oneByOne);
        QFETCH(int, summarized);
        AnnouncementList list;
        for (int i = 0; i < count; ++i)
            list.append(record(QString::number(i), i));
        // Matches spread through the list; the first ones are shown one by one.
        const auto isMatch = [&](const Announcement& a) {
            return a.id().toInt() * matches / count != (a.id().toInt() + 1) * matches / count;
        };
        const NotificationManager::Groups groups = NotificationManager::group(list, isMatch, groupAbove);
        QCOMPARE(groups.oneByOne.size(), oneByOne);
        QCOMPARE(groups.summarized.size(), summarized);
        for (const Announcement& shown : groups.oneByOne)
            QVERIFY(groupAbove == 0 || count <= groupAbove || isMatch(shown));
        if (summarized > 0) {
            const NotificationRequest request =
                NotificationManager::summaryFor(groups.summarized, kNoon, kNoon, QTimeZone("Asia/Riyadh"));
            QVERIFY2(request.title.startsWith(QString::number(summarized) + u' ') &&
                         request.title.endsWith(u"11:26 PM"_s),
                     qPrintable(request.title));
            QCOMPARE(request.data.value(u"summary"_s).toStringList(), ids(groups.summarized));
        }
    }

    // The first poll ever is silent; what `poll` fetches stays owed until the tray program tells it,
    // once; what nobody told for a day is not told at a later start.
    void owedBetweenProcesses()
    {
        const auto tray = recorder(u"tray"_s);
        QVERIFY(tray->record(fetched({record("a", -30)}), kBoth, kNoon, "en").toTell.isEmpty());
        const auto cron = recorder(QString());
        PollRecorder::Outcome printed =
            cron->record(fetched({record("a", -30), record("b", 2)}), kBoth, kNoon.addSeconds(300), "en");
        QCOMPARE(ids(printed.fresh), QStringList{"b"});
        QCOMPARE(ids(printed.toTell), QStringList{"b"});
        QVERIFY(printed.problem.isEmpty());
        const PollRecorder::Outcome told = tray->record(fetched({}), kBoth, kNoon.addSeconds(600), "en");
        QCOMPARE(ids(told.toTell), QStringList{"b"});
        QCOMPARE(*told.since, kNoon.addSeconds(300));
        QVERIFY(tray->record(fetched({record("b", 2)}), kBoth, kNoon.addSeconds(900), "en").toTell.isEmpty());

        QCOMPARE(ids(cron->record(fetched({record("c", 20)}), kBoth, kNoon.addSeconds(1500), "en").fresh),
                 QStringList{"c"});
        const auto nextDay = recorder(u"tray"_s);
        QVERIFY(nextDay->record(fetched({}), kBoth, kNoon.addSeconds(1500 + 86401), "en").toTell.isEmpty());
    }

    // Thursday 23:26 Riyadh, quiet outside trading: what comes waits in the archive over a restart and
    // is told once, on Sunday after the open; an urgent one passes at once.
    void heldAcrossAWeekendAndARestart()
    {
        const NotificationGate gate({*QuietHours::parse(QuietHours::kOutsideTrading), {}, {}});
        const auto holdAt = [&gate](Instant now) -> PollRecorder::Hold {
            return [&gate, now](const Announcement& a) {
                return gate.judge(a, a.id() == u"urgent"_s, now) != NotificationGate::Verdict::Deliver;
            };
        };
        auto tray = recorder(u"tray"_s);
        tray->record(fetched({record("a", -30)}), kBoth, kNoon, "en", holdAt(kNoon));
        const Instant later = kNoon.addSeconds(300);
        const PollRecorder::Outcome night =
            tray->record(fetched({record("b", 2), record("urgent", 3)}), kBoth, later, "en", holdAt(later));
        QCOMPARE(ids(night.toTell), QStringList{"urgent"});
        QCOMPARE(night.held, 1);

        tray = recorder(u"tray"_s);
        const Instant sunday = TradingCalendar::nextOpenAfter(kNoon).addSeconds(60);
        const PollRecorder::Outcome morning = tray->record(fetched({}), kBoth, sunday, "en", holdAt(sunday));
        QCOMPARE(ids(morning.toTell), QStringList{"b"});
        QCOMPARE(ids(morning.released), QStringList{"b"});
        QCOMPARE(morning.held, 0);
        const Instant next = sunday.addSeconds(300);
        QVERIFY(tray->record(fetched({record("b", 2)}), kBoth, next, "en", holdAt(next)).toTell.isEmpty());
    }

    // An upgrade (or a deleted archive) starts from the cache file and the seen set: nothing they
    // know is told again, nor anything older than the last poll; a damaged archive likewise.
    void rebuiltFromThePreviousFiles()
    {
        m_previous = {{record("cached", -120)}, {"seen"}, kNoon};
        const AnnouncementList portal{record("cached", -120), record("seen", -100), record("old", -90),
                                      record("late", -20), record("new", 5)};
        for (const bool damaged : {false, true}) {
            if (damaged) {
                QFile file(m_dir.filePath(AnnouncementArchive::fileName));
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) > 0);
            }
            const PollRecorder::Outcome outcome =
                recorder(u"tray"_s)->record(fetched(portal), kBoth, kNoon.addSeconds(600), "en");
            QCOMPARE(ids(outcome.toTell), (QStringList{"new", "late"}));
            QVERIFY(outcome.problem.isEmpty());
            QCOMPARE(QFile::exists(m_dir.filePath("archive.sqlite.corrupt")), damaged);
            QFile::remove(m_dir.filePath(AnnouncementArchive::fileName));
        }
    }

    // A record read back keeps the category it was stored with, so that its emoji, the export and the
    // history's category filter agree even after the keywords change.
    void readBackWithItsStoredCategory()
    {
        AnnouncementArchive archive(m_dir.path());
        QVERIFY(archive.open());
        QVERIFY(archive.insert({record("a", 0), u"tadawul"_s, u"en"_s}, kNoon, false));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(qPrintable(archive.filePath()), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "UPDATE announcements SET category = 'results'", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QCOMPARE(AnnouncementCategory::of(*archive.find("a")), AnnouncementCategory::Kind::Results);
        QCOMPARE(AnnouncementCategory::of(archive.recent(kNoon.addSeconds(-60), 1).value(0)),
                 AnnouncementCategory::Kind::Results);
    }

    // A full disk: the problem is said, nothing is told twice or forgotten, and all is saved once
    // writes succeed again.
    void fullDisk()
    {
        const auto tray = recorder(u"tray"_s);
        tray->record(fetched({record("a", -30)}), kBoth, kNoon, "en");
        const AnnouncementList portal{record("a", -30), record("b", 1), record("c", 2)};
        // What the news owe an output is not lost either.
        const auto route = [](const AnnouncementList& fresh) {
            QList<Outbox::Entry> entries;
            for (const Announcement& each : fresh)
                entries.append({u"hook"_s, each.id(), {{each.id(), {}}}});
            return entries;
        };
        {
            const FileSizeLimit full;
            const PollRecorder::Outcome first =
                tray->record(fetched(portal), kBoth, kNoon.addSeconds(300), "en", {}, route);
            QVERIFY2(first.problem.startsWith(u"Can't save to "_s +
                                              m_dir.filePath(AnnouncementArchive::fileName) + ": "),
                     qPrintable(first.problem));
            QCOMPARE(ids(first.toTell), (QStringList{"b", "c"}));
            const PollRecorder::Outcome again =
                tray->record(fetched(portal), kBoth, kNoon.addSeconds(600), "en");
            QVERIFY(!again.problem.isEmpty() && again.toTell.isEmpty());
        }
        const PollRecorder::Outcome saved = tray->record(fetched(portal), kBoth, kNoon.addSeconds(900), "en");
        QVERIFY(saved.problem.isEmpty() && saved.toTell.isEmpty());
        AnnouncementArchive archive(m_dir.path());
        QVERIFY(archive.open());
        QCOMPARE(archive.count(), 3);
        QVERIFY(archive.owed().isEmpty());
        QCOMPARE(archive.find("c"), std::optional(record("c", 2)));
        QCOMPARE(Outbox(archive).counts().value(u"hook"_s).pending, 2);
    }
};

QTEST_GUILESS_MAIN(TestArchive)
#include "tst_archive.moc"
