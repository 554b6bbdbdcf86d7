#include "history/SearchIndex.h"
#include "support/HistoryArchive.h"

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

class TestSearchIndex : public QObject
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
        HistoryQuery request;
        request.text = query;
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
        const AnnouncementList listed =
            AnnouncementSearch(all, &companyName, Watchlist()).filter(query, false);
        QStringList listedIds;
        for (const Announcement& announcement : listed)
            listedIds.append(announcement.id());
        QCOMPARE(ids(*found), listedIds);
    }

    void filters_data()
    {
        QTest::addColumn<HistoryQuery>("query");
        QTest::addColumn<QStringList>("expected");
        HistoryQuery since;
        since.since = kDay0.addSeconds(86400.0 * 3);
        QTest::newRow("since, inclusive") << since << QStringList{"mk1", "ar2"};
        HistoryQuery until;
        until.until = kDay0.addSeconds(86400.0);
        QTest::newRow("until, exclusive") << until << QStringList{"en1"};
        HistoryQuery symbol;
        symbol.symbol = QStringLiteral("2222");
        QTest::newRow("symbol among the companies, not the text") << symbol << QStringList{"ar1", "en1"};
        HistoryQuery part;
        part.symbol = QStringLiteral("22");
        QTest::newRow("symbol is whole") << part << QStringList{};
        HistoryQuery category;
        category.category = QStringLiteral("dividends");
        category.text = QStringLiteral("ا");
        QTest::newRow("category with a word") << category << QStringList{"ar1"};
        HistoryQuery unread;
        unread.unreadOnly = true;
        unread.text = QStringLiteral("energy");
        QTest::newRow("unread") << unread << QStringList{"en1"};
        HistoryQuery limit;
        limit.limit = 2;
        QTest::newRow("limit keeps the newest") << limit << QStringList{"mk1", "ar2"};
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
            HistoryQuery query;
            query.text = text;
            return ids(m_index->search(query).value_or(HistoryRecordList()));
        };
        QCOMPARE(find(QStringLiteral("board meeting")), QStringList{"en1"});
        QCOMPARE(find(QStringLiteral("dividend")), QStringList{});
        QCOMPARE(find(QStringLiteral("bioenergy")), QStringList{});
        QCOMPARE(find(QStringLiteral("2222")), (QStringList{"mk1", "en1"})); // texts gone: not found
        QCOMPARE(find(QString()), (QStringList{"mk1", "ar2", "en1"}));
    }

    void recordsComeBackWhole()
    {
        HistoryQuery query;
        query.text = QStringLiteral("bioenergy");
        const HistoryRecordList found = m_index->search(query).value_or(HistoryRecordList());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().announcement, corpus().at(2).announcement);
        QVERIFY(found.first().read);
    }

private:
    std::unique_ptr<HistoryArchive> m_archive;
    std::unique_ptr<SearchIndex> m_index;
};

QTEST_GUILESS_MAIN(TestSearchIndex)
#include "tst_searchindex.moc"
