// The history: the archive's search index, its read state and retention, and the export files.
#include "archive/PollRecorder.h"
#include "history/HistoryExport.h"
#include "history/HistoryStore.h"
#include "history/SearchIndex.h"
#include "support/HistoryArchive.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

Q_DECLARE_METATYPE(HistoryQuery)

namespace {
const Instant kDay0 = Instant::fromReferenceSeconds(820000000.0); // 2026-12-26T...Z

HistoryRecord record(const QString& id, const QString& title, const QString& description,
                     const QStringList& companies = {}, int day = 0, bool read = false)
{
    return {Announcement(id, title, description, QStringLiteral("https://www.saudiexchange.sa/") + id,
                         kDay0.addSeconds(86400.0 * day), companies),
            read};
}

// English and Arabic announcements shaped like the portal's (markup, hamza, diacritics, tatweel), not
// stored in date order.
HistoryRecordList corpus()
{
    return {
        record(QStringLiteral("ar2"), QStringLiteral("إعلان مجلس الإدارة"),
               QStringLiteral("توصية بزيادة رأس المال إلى مستوى أعلى"), {QStringLiteral("1120")}, 3),
        record(QStringLiteral("en1"), QStringLiteral("Arabian Energy Co. announces a Cash Dividend"),
               QStringLiteral("<p>The board recommends SAR 1.25 per share &amp; more.</p>"),
               {QStringLiteral("2222")}, 0),
        record(QStringLiteral("en2"), QStringLiteral("Caf\u00e9 Holding: Bioenergy plant AI upgrade"),
               QStringLiteral("Results of the period"), {QStringLiteral("4001")}, 1, true),
        record(QStringLiteral("ar1"), QStringLiteral("شركة الطاقة العربية تعلن عن توزيـــع أَرْبَاح نقدية"),
               QStringLiteral("<p>وبالأرباح المرحلة على المساهمين</p>"), {QStringLiteral("2222")}, 2),
        record(QStringLiteral("mk1"), QStringLiteral("Market news: \"quoted\" words, index up"),
               QStringLiteral("TASI rose 1% on (2222)"), {}, 4),
    };
}

HistoryRecord aged(const QString& id, int days, bool read = false)
{
    return record(id, QStringLiteral("Dividend %1").arg(id), QStringLiteral("<p>text</p>"),
                  {QStringLiteral("2222")}, -days, read);
}

QString companyName(const QString& symbol)
{
    return symbol == QLatin1String("1120") ? QStringLiteral("Al Rajhi Bank مصرف الراجحي") : QString();
}

QStringList ids(const HistoryRecordList& records)
{
    QStringList out;
    for (const HistoryRecord& record : records)
        out.append(record.announcement.id());
    return out;
}
} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_archive = std::make_unique<HistoryArchive>();
        for (const HistoryRecord& record : corpus())
            m_archive->add(record);
        m_index = std::make_unique<SearchIndex>(m_archive->db(), &companyName);
        QVERIFY2(m_index->catchUp(), qPrintable(m_index->errorText()));
    }

    // The index finds exactly what the kept list's search finds, newest first.
    void sameMatchesAsTheListSearch_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected");
        const auto list = [](const char* items) {
            return QString::fromUtf8(items).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        };
        QTest::newRow("case") << QStringLiteral("DIVIDEND") << list("en1");
        QTest::newRow("accents") << QStringLiteral("cafe") << list("en2");
        QTest::newRow("inside a longer word") << QStringLiteral("energy") << list("en2|en1");
        QTest::newRow("every word must occur") << QStringLiteral("energy dividend") << list("en1");
        QTest::newRow("short word inside a word") << QStringLiteral("ai") << list("en2");
        QTest::newRow("short and long words") << QStringLiteral("1% tasi") << list("mk1");
        QTest::newRow("symbol, in companies and text") << QStringLiteral("2222") << list("mk1|ar1|en1");
        QTest::newRow("company name") << QStringLiteral("rajhi") << list("ar2");
        QTest::newRow("arabic company name, alef form") << QStringLiteral("الراجحى") << list("ar2");
        QTest::newRow("arabic: bare alef, no diacritics") << QStringLiteral("ارباح") << list("ar1");
        QTest::newRow("arabic: tatweel and taa marbuta") << QStringLiteral("توزيع نقديه") << list("ar1");
        QTest::newRow("arabic: alef maqsura as yaa") << QStringLiteral("الي") << list("ar2");
        QTest::newRow("arabic: one letter") << QStringLiteral("ب") << list("ar2|ar1");
        QTest::newRow("entity decoded") << QStringLiteral("& more") << list("en1");
        QTest::newRow("markup not searched") << QStringLiteral("<p>") << list("");
        QTest::newRow("quotes are text") << QStringLiteral("\"quoted\"") << list("mk1");
        QTest::newRow("query syntax is text") << QStringLiteral("NOT OR* energy") << list("");
        QTest::newRow("nothing") << QStringLiteral("zzz") << list("");
    }
    void sameMatchesAsTheListSearch()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        const HistoryQuery request{.text = query};
        const std::optional<HistoryRecordList> found = m_index->search(request);
        QVERIFY2(found, qPrintable(m_index->errorText()));
        QCOMPARE(ids(*found), expected);
        QCOMPARE(m_index->count(request), qint64(expected.size()));

        AnnouncementList all;
        for (const HistoryRecord& record : corpus())
            all.append(record.announcement);
        std::sort(all.begin(), all.end(), [](const Announcement& a, const Announcement& b) {
            return a.pubDate() > b.pubDate(); // newest first, as the archive answers
        });
        HistoryRecordList listed;
        for (const Announcement& announcement :
             AnnouncementSearch(all, &companyName, Watchlist()).filter(query, false))
            listed.append({announcement, false});
        QCOMPARE(ids(*found), ids(listed));
    }

    void filters_data()
    {
        QTest::addColumn<HistoryQuery>("query");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("since, inclusive")
            << HistoryQuery{.since = kDay0.addSeconds(86400.0 * 3)} << QStringList{"mk1", "ar2"};
        QTest::newRow("until, exclusive")
            << HistoryQuery{.until = kDay0.addSeconds(86400.0)} << QStringList{"en1"};
        QTest::newRow("symbol among the companies, not the text")
            << HistoryQuery{.symbol = QStringLiteral("2222")} << QStringList{"ar1", "en1"};
        QTest::newRow("symbol is whole") << HistoryQuery{.symbol = QStringLiteral("22")} << QStringList{};
        QTest::newRow("category with a word")
            << HistoryQuery{.text = QStringLiteral("ا"), .category = QStringLiteral("dividends")}
            << QStringList{"ar1"};
        QTest::newRow("unread") << HistoryQuery{.text = QStringLiteral("energy"), .unreadOnly = true}
                                << QStringList{"en1"};
        QTest::newRow("limit keeps the newest") << HistoryQuery{.limit = 2} << QStringList{"mk1", "ar2"};
    }
    void filters()
    {
        QFETCH(HistoryQuery, query);
        QFETCH(QStringList, expected);
        QCOMPARE(ids(m_index->search(query).value_or(HistoryRecordList())), expected);
    }

    void changesFollowTheArchive()
    {
        m_archive->exec(
            "UPDATE announcements SET title = 'Board meeting', description = '' WHERE id = 'en1'");
        m_archive->exec("DELETE FROM announcements WHERE id = 'en2'");
        m_archive->exec("UPDATE announcements SET title = '', description = '' WHERE id = 'ar1'");
        QVERIFY(m_index->catchUp());
        const auto find = [this](const QString& text) {
            return ids(m_index->search({.text = text}).value_or(HistoryRecordList()));
        };
        QCOMPARE(find(QStringLiteral("board meeting")), QStringList{"en1"});
        QCOMPARE(find(QStringLiteral("dividend")), QStringList{});
        QCOMPARE(find(QStringLiteral("bioenergy")), QStringList{});
        QCOMPARE(find(QStringLiteral("2222")), (QStringList{"mk1", "en1"})); // texts gone: not found
        QCOMPARE(find(QString()), (QStringList{"mk1", "ar2", "en1"}));
    }

    void recordsComeBackWhole()
    {
        const HistoryRecordList found =
            m_index->search({.text = QStringLiteral("bioenergy")}).value_or(HistoryRecordList());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().announcement, corpus().at(2).announcement);
        QVERIFY(found.first().read);
    }

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
        QVERIFY(store.markRead({QStringLiteral("a"), QStringLiteral("unknown")}, kDay0));
        QCOMPARE(store.unread({"a", "b"}), QSet<QString>{"b"});
        QCOMPARE(store.count({.unreadOnly = true}), 1);
        QVERIFY(store.markRead({}, kDay0));
        QCOMPARE(store.unreadCount(), 0);
    }

    void retentionKeepsIdentifiersAndRecentTexts()
    {
        HistoryArchive archive;
        archive.add(aged(QStringLiteral("old"), 400));
        archive.add(aged(QStringLiteral("recent"), 10));
        HistoryStore store(archive.path(), {});
        QCOMPARE(store.count(HistoryQuery()), 2); // indexed before the texts go
        QCOMPARE(store.removeTextsBefore(kDay0.addSeconds(-86400.0 * 365)), 1);
        QVERIFY(store.compact());
        const HistoryRecordList found =
            store.search({.text = QStringLiteral("dividend")}).value_or(HistoryRecordList());
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
            QVERIFY(recorder.record({}, feeds, kDay0.addSeconds(-60), en).problem.isEmpty()); // the baseline
            QCOMPARE(recorder.record({fetched}, feeds, kDay0.addSeconds(180), en).fresh.size(), 1);
            HistoryStore store(HistoryStore::pathIn(folder.path()), {});
            QCOMPARE(store.removeTextsBefore(kDay0.addSeconds(1)), 1);
            QVERIFY(store.compact());
            QVERIFY(recorder.record({fetched}, feeds, kDay0.addSeconds(360), en).fresh.isEmpty());
        }
        PollRecorder later(folder.path(), QStringLiteral("tray"), {});
        QVERIFY(later.record({fetched}, feeds, kDay0.addSeconds(540), en).fresh.isEmpty());
    }
    void csvField()
    {
        const std::pair<const char*, const char*> rows[] = {
            {"Cash dividend", "Cash dividend"},
            {"توزيع أرباح", "توزيع أرباح"},
            {"a, b", "\"a, b\""},
            {"the \"board\"", "\"the \"\"board\"\"\""},
            {"a\nb\r\nc", "\"a\nb\r\nc\""},
            // Formulas are defused.
            {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
            {"+966", "'+966"},
            {"-1.5%", "'-1.5%"},
            {"@SUM(A1)", "'@SUM(A1)"},
            {"\t=1", "'\t=1"},
            {"\r=1", "\"'\r=1\""},
            {"a=b-c", "a=b-c"},
            {"", ""},
        };
        for (const auto& [text, field] : rows)
            QCOMPARE(HistoryExport::csvField(QString::fromUtf8(text)), QString::fromUtf8(field));
    }

    void csvFileAndJsonFile()
    {
        // 2026-12-06T11:05:00Z: 14:05 in Riyadh.
        const Instant published =
            Instant::fromDateTime(QDateTime(QDate(2026, 12, 6), QTime(11, 5), QTimeZone::utc()));
        const HistoryRecordList records = {
            {Announcement(QStringLiteral("se_1"), QStringLiteral("=cmd|' /C calc'!A0"),
                          QStringLiteral("<p>أرباح &amp; نمو</p>"), QStringLiteral("https://x.test/1"),
                          published, {QStringLiteral("2222"), QStringLiteral("1120")}),
             true},
            {Announcement(QStringLiteral("se_2"), QStringLiteral("News"), {}, {}, published, {}), false}};
        const auto names = [](const QString& symbol) {
            return symbol == QLatin1String("2222") ? QStringLiteral("Arabian Energy, Co.") : QString();
        };
        QTemporaryDir folder;
        const QString csvPath = folder.filePath(QStringLiteral("out.csv"));
        QVERIFY(HistoryExport::write(csvPath, HistoryExport::Format::Csv, records, names, nullptr));
        QCOMPARE(readFile(csvPath),
                 QStringLiteral("\uFEFFid,published,symbol,company,category,title,text,link\r\n"
                                "se_1,2026-12-06T14:05:00+03:00,2222; 1120,\"Arabian Energy, Co.; \",other,"
                                "'=cmd|' /C calc'!A0,أرباح & نمو,https://x.test/1\r\n"
                                "se_2,2026-12-06T14:05:00+03:00,,,other,News,,\r\n")
                     .toUtf8());

        const QString jsonPath = folder.filePath(QStringLiteral("out.json"));
        QVERIFY(HistoryExport::write(jsonPath, HistoryExport::Format::Json, records, names, nullptr));
        const QJsonArray array = QJsonDocument::fromJson(readFile(jsonPath)).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(array.at(0)[QStringLiteral("companies")].toArray().size(), 2);
        QCOMPARE(array.at(0)[QStringLiteral("category")].toString(), QStringLiteral("other"));
        QCOMPARE(array.at(0)[QStringLiteral("read")].toBool(), true);
        QCOMPARE(array.at(1)[QStringLiteral("read")].toBool(), false);

        QString error;
        QVERIFY(!HistoryExport::write(folder.filePath(QStringLiteral("missing/out.csv")),
                                      HistoryExport::Format::Csv, records, names, &error));
        QVERIFY(!error.isEmpty());
    }

private:
    std::unique_ptr<HistoryArchive> m_archive;
    std::unique_ptr<SearchIndex> m_index;
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
