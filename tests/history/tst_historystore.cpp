#include "archive/PollRecorder.h"
#include "history/HistoryStore.h"
#include "support/HistoryArchive.h"

#include <QTest>

namespace {
const Instant kNow = Instant::fromReferenceSeconds(820000000.0);

HistoryRecord aged(const QString& id, int days, bool read = false)
{
    return {Announcement(id, QStringLiteral("Dividend %1").arg(id), QStringLiteral("<p>text</p>"),
                         QStringLiteral("https://x.test/") + id, kNow.addSeconds(-86400.0 * days),
                         {QStringLiteral("2222")}),
            read};
}
} // namespace

class TestHistoryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noArchiveIsNoHistory()
    {
        HistoryStore store(QStringLiteral("/nonexistent/archive.sqlite"), {});
        QVERIFY(!store.open());
        QVERIFY(!store.search(HistoryQuery()));
        QVERIFY(store.unread({QStringLiteral("a")}).isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("/nonexistent/archive.sqlite")));
    }

    void readState()
    {
        HistoryArchive archive;
        for (const QString& id : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
            archive.add(aged(id, 1, id == QLatin1String("c")));
        HistoryStore store(archive.path(), {});
        QCOMPARE(store.unreadCount(), 2);
        QCOMPARE(store.unread({"a", "b", "c", "unknown"}), (QSet<QString>{"a", "b"}));
        QVERIFY(store.markRead({QStringLiteral("a"), QStringLiteral("unknown")}, kNow));
        QCOMPARE(store.unread({"a", "b"}), QSet<QString>{"b"});
        HistoryQuery unread;
        unread.unreadOnly = true;
        QCOMPARE(store.count(unread), 1);
        QVERIFY(store.markRead({}, kNow));
        QCOMPARE(store.unreadCount(), 0);
    }

    void retentionKeepsIdentifiersAndRecentTexts()
    {
        HistoryArchive archive;
        archive.add(aged(QStringLiteral("old"), 400));
        archive.add(aged(QStringLiteral("recent"), 10));
        HistoryStore store(archive.path(), {});
        QCOMPARE(store.count(HistoryQuery()), 2); // indexed before the texts go
        QCOMPARE(store.removeTextsBefore(kNow.addSeconds(-86400.0 * 365)), 1);
        QVERIFY(store.compact());
        HistoryQuery dividend;
        dividend.text = QStringLiteral("dividend");
        const HistoryRecordList found = store.search(dividend).value_or(HistoryRecordList());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().announcement.id(), QStringLiteral("recent"));
        QVERIFY(!store.has(QStringLiteral("old")));
        // The identifier stays: it is what tells a poll the announcement is not new.
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(archive.db(), "SELECT pub_date FROM announcements WHERE id = 'old'", -1, &select,
                           nullptr);
        QCOMPARE(sqlite3_step(select), SQLITE_ROW);
        sqlite3_finalize(select);
        QVERIFY(store.fileSize() > 0);
    }

    // What retention or "Clear History…" removed never comes back as new, also in a later process: the
    // record is dated within the hour before the last poll, so only its kept identifier says "known".
    void removedTextsNeverComeBackAsNew()
    {
        QTemporaryDir folder;
        const AnnouncementArchive::Record fetched{aged(QStringLiteral("se_1"), 0).announcement,
                                                  QStringLiteral("tadawul"), QStringLiteral("en")};
        const QSet<QString> feeds{QStringLiteral("tadawul")};
        const QString en = QStringLiteral("en");
        {
            PollRecorder recorder(folder.path(), QStringLiteral("tray"), {});
            QVERIFY(recorder.record({}, feeds, kNow.addSeconds(-60), en).problem.isEmpty()); // the baseline
            QCOMPARE(recorder.record({fetched}, feeds, kNow.addSeconds(180), en).fresh.size(), 1);
            HistoryStore store(HistoryStore::pathIn(folder.path()), {});
            QCOMPARE(store.removeTextsBefore(kNow.addSeconds(1)), 1);
            QVERIFY(store.compact());
            QVERIFY(recorder.record({fetched}, feeds, kNow.addSeconds(360), en).fresh.isEmpty());
        }
        PollRecorder later(folder.path(), QStringLiteral("tray"), {});
        QVERIFY(later.record({fetched}, feeds, kNow.addSeconds(540), en).fresh.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_historystore.moc"
