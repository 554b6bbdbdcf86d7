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

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(HistoryQuery)

namespace {
const Instant kDay0 = Instant::fromReferenceSeconds(820000000.0); // 2026-12-26T...Z

HistoryRecord record(const QString& id, const QString& title, const QString& description,
                     const QStringList& companies = {}, int day = 0, bool read = false)
{
    return {Announcement(id, title, description, u"https://www.saudiexchange.sa/"_s + id,
                         kDay0.addSeconds(86400.0 * day), companies),
            read};
}

// English and Arabic announcements shaped like the portal's (markup, hamza, diacritics, tatweel), not
// stored in date order.
HistoryRecordList corpus()
{
    return {
        record(u"ar2"_s, u"إعلان مجلس الإدارة"_s, u"توصية بزيادة رأس المال إلى مستوى أعلى"_s, {u"1120"_s}, 3),
        record(u"en1"_s, u"Arabian Energy Co. announces a Cash Dividend"_s,
               u"<p>The board recommends SAR 1.25 per share &amp; more.</p>"_s, {u"2222"_s}, 0),
        record(u"en2"_s, u"Caf\u00e9 Holding: Bioenergy plant AI upgrade"_s, u"Results of the period"_s,
               {u"4001"_s}, 1, true),
        record(u"ar1"_s, u"شركة الطاقة العربية تعلن عن توزيـــع أَرْبَاح نقدية"_s,
               u"<p>وبالأرباح المرحلة على المساهمين</p>"_s, {u"2222"_s}, 2),
        record(u"mk1"_s, u"Market news: \"quoted\" words, index up"_s, u"TASI rose 1% on (2222)"_s, {}, 4),
    };
}

HistoryRecord aged(const QString& id, int days, bool read = false)
{
    return record(id, u"Dividend %1"_s.arg(id), u"<p>text</p>"_s, {u"2222"_s}, -days, read);
}

QString companyName(const QString& symbol)
{
    return symbol == u"1120"_s ? u"Al Rajhi Bank مصرف الراجحي"_s : QString();
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
            return QString::fromUtf8(items).split(u'|', Qt::SkipEmptyParts);
        };
        QTest::newRow("case") << u"DIVIDEND"_s << list("en1");
        QTest::newRow("accents") << u"cafe"_s << list("en2");
        QTest::newRow("inside a longer word") << u"energy"_s << list("en2|en1");
        QTest::newRow("every word must occur") << u"energy dividend"_s << list("en1");
        QTest::newRow("short word inside a word") << u"ai"_s << list("en2");
        QTest::newRow("short and long words") << u"1% tasi"_s << list("mk1");
        QTest::newRow("symbol, in companies and text") << u"2222"_s << list("mk1|ar1|en1");
        QTest::newRow("company name") << u"rajhi"_s << list("ar2");
        QTest::newRow("arabic company name, alef form") << u"الراجحى"_s << list("ar2");
        QTest::newRow("arabic: bare alef, no diacritics") << u"ارباح"_s << list("ar1");
        QTest::newRow("arabic: tatweel and taa marbuta") << u"توزيع نقديه"_s << list("ar1");
        QTest::newRow("arabic: alef maqsura as yaa") << u"الي"_s << list("ar2");
        QTest::newRow("arabic: one letter") << u"ب"_s << list("ar2|ar1");
        QTest::newRow("entity decoded") << u"& more"_s << list("en1");
        QTest::newRow("markup not searched") << u"<p>"_s << list("");
        QTest::newRow("quotes are text") << u"\"quoted\""_s << list("mk1");
        QTest::newRow("query syntax is text") << u"NOT OR* energy"_s << list("");
        QTest::newRow("nothing") << u"zzz"_s << list("");
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
            << HistoryQuery{.symbol = u"2222"_s} << QStringList{"ar1", "en1"};
        QTest::newRow("symbol is whole") << HistoryQuery{.symbol = u"22"_s} << QStringList{};
        QTest::newRow("category with a word")
            << HistoryQuery{.text = u"ا"_s, .category = u"dividends"_s} << QStringList{"ar1"};
        QTest::newRow("unread") << HistoryQuery{.text = u"energy"_s, .unreadOnly = true}
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
        QCOMPARE(find(u"board meeting"_s), QStringList{"en1"});
        QCOMPARE(find(u"dividend"_s), QStringList{});
        QCOMPARE(find(u"bioenergy"_s), QStringList{});
        QCOMPARE(find(u"2222"_s), (QStringList{"mk1", "en1"})); // texts gone: not found
        QCOMPARE(find(QString()), (QStringList{"mk1", "ar2", "en1"}));
    }

    void recordsComeBackWhole()
    {
        const HistoryRecordList found =
            m_index->search({.text = u"bioenergy"_s}).value_or(HistoryRecordList());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().announcement, corpus().at(2).announcement);
        QVERIFY(found.first().read);
    }

    void noArchiveIsNoHistory()
    {
        HistoryStore store(u"/nonexistent/archive.sqlite"_s, {});
        QVERIFY(!store.open());
        QVERIFY(!store.search(HistoryQuery()));
        QVERIFY(store.unread({u"a"_s}).isEmpty());
        QVERIFY(!QFile::exists(u"/nonexistent/archive.sqlite"_s));
    }

    void readState()
    {
        HistoryArchive archive;
        for (const QString& id : {u"a"_s, u"b"_s, u"c"_s})
            archive.add(aged(id, 1, id == u"c"_s));
        HistoryStore store(archive.path(), {});
        QCOMPARE(store.unreadCount(), 2);
        QCOMPARE(store.unread({"a", "b", "c", "unknown"}), (QSet<QString>{"a", "b"}));
        QVERIFY(store.markRead({u"a"_s, u"unknown"_s}, kDay0));
        QCOMPARE(store.unread({"a", "b"}), QSet<QString>{"b"});
        QCOMPARE(store.count({.unreadOnly = true}), 1);
        QVERIFY(store.markRead({}, kDay0));
        QCOMPARE(store.unreadCount(), 0);
    }

    void retentionKeepsIdentifiersAndRecentTexts()
    {
        HistoryArchive archive;
        archive.add(aged(u"old"_s, 400));
        archive.add(aged(u"recent"_s, 10));
        HistoryStore store(archive.path(), {});
        QCOMPARE(store.count(HistoryQuery()), 2); // indexed before the texts go
        QCOMPARE(store.removeTextsBefore(kDay0.addSeconds(-86400.0 * 365)), 1);
        QVERIFY(store.compact());
        const HistoryRecordList found = store.search({.text = u"dividend"_s}).value_or(HistoryRecordList());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().announcement.id(), u"recent"_s);
        QVERIFY(!store.has(u"old"_s));
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
        const AnnouncementArchive::Record fetched{aged(u"se_1"_s, 0).announcement, u"tadawul"_s, u"en"_s};
        const QSet<QString> feeds{u"tadawul"_s};
        const QString en = u"en"_s;
        {
            PollRecorder recorder(folder.path(), u"tray"_s, {});
            QVERIFY(recorder.record({}, feeds, kDay0.addSeconds(-60), en).problem.isEmpty()); // the baseline
            QCOMPARE(recorder.record({fetched}, feeds, kDay0.addSeconds(180), en).fresh.size(), 1);
            HistoryStore store(HistoryStore::pathIn(folder.path()), {});
            QCOMPARE(store.removeTextsBefore(kDay0.addSeconds(1)), 1);
            QVERIFY(store.compact());
            QVERIFY(recorder.record({fetched}, feeds, kDay0.addSeconds(360), en).fresh.isEmpty());
        }
        PollRecorder later(folder.path(), u"tray"_s, {});
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
            {Announcement(u"se_1"_s, u"=cmd|' /C calc'!A0"_s, u"<p>أرباح &amp; نمو</p>"_s,
                          u"https://x.test/1"_s, published, {u"2222"_s, u"1120"_s}),
             true},
            {Announcement(u"se_2"_s, u"News"_s, {}, {}, published, {}), false}};
        const auto names = [](const QString& symbol) {
            return symbol == u"2222"_s ? u"Arabian Energy, Co."_s : QString();
        };
        QTemporaryDir folder;
        const QString csvPath = folder.filePath(u"out.csv"_s);
        QVERIFY(HistoryExport::write(csvPath, HistoryExport::Format::Csv, records, names, nullptr));
        QCOMPARE(readFile(csvPath),
                 QStringLiteral("\uFEFFid,published,symbol,company,category,title,text,link\r\n"
                                "se_1,2026-12-06T14:05:00+03:00,2222; 1120,\"Arabian Energy, Co.; \",other,"
                                "'=cmd|' /C calc'!A0,أرباح & نمو,https://x.test/1\r\n"
                                "se_2,2026-12-06T14:05:00+03:00,,,other,News,,\r\n")
                     .toUtf8());

        const QString jsonPath = folder.filePath(u"out.json"_s);
        QVERIFY(HistoryExport::write(jsonPath, HistoryExport::Format::Json, records, names, nullptr));
        const QJsonArray array = QJsonDocument::fromJson(readFile(jsonPath)).array();
        QCOMPARE(array.size(), 2);
        QCOMPARE(array.at(0)[u"companies"_s].toArray().size(), 2);
        QCOMPARE(array.at(0)[u"category"_s].toString(), u"other"_s);
        QCOMPARE(array.at(0)[u"read"_s].toBool(), true);
        QCOMPARE(array.at(1)[u"read"_s].toBool(), false);

        QString error;
        QVERIFY(!HistoryExport::write(folder.filePath(u"missing/out.csv"_s), HistoryExport::Format::Csv,
                                      records, names, &error));
        QVERIFY(!error.isEmpty());
    }

private:
    std::unique_ptr<HistoryArchive> m_archive;
    std::unique_ptr<SearchIndex> m_index;
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
