#include "model/Watchlist.h"

#include <QTest>

class TestWatchlist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchFor_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("companies");
        QTest::addColumn<QStringList>("symbols");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("match");
        const QStringList none;
        const QString no;
        QTest::newRow("empty watchlist") << no << no << none << none << none << no;
        QTest::newRow("blank symbol and word")
            << QStringLiteral("x") << QStringLiteral("y") << QStringList{QStringLiteral("2222")}
            << QStringList{QString()} << QStringList{QStringLiteral("  ")} << no;
        QTest::newRow("company, any case")
            << no << no << QStringList{QStringLiteral("ACWA")} << QStringList{QStringLiteral("acwa")} << none
            << QStringLiteral("acwa");
        QTest::newRow("symbol as a word of the text")
            << QStringLiteral("Trading halt") << QStringLiteral("<p>Shares of (2222) resume</p>") << none
            << QStringList{QStringLiteral("2222")} << none << QStringLiteral("2222");
        QTest::newRow("symbol inside a longer number or a link")
            << QStringLiteral("Results of 22225")
            << QStringLiteral("<a href=\"/co?cs=2222\">Report 20201</a>") << none
            << QStringList{QStringLiteral("2222"), QStringLiteral("2020")} << none << no;
        QTest::newRow("symbols before words")
            << QStringLiteral("Cash dividend") << no << QStringList{QStringLiteral("4001")}
            << QStringList{QStringLiteral("2222"), QStringLiteral("4001")}
            << QStringList{QStringLiteral("dividend")} << QStringLiteral("4001");
        QTest::newRow("word in description text, any case")
            << QStringLiteral("Almarai") << QStringLiteral("Announces a <b>Rights Issue</b> of shares")
            << none << none << QStringList{QStringLiteral("rights issue")} << QStringLiteral("rights issue");
        QTest::newRow("word only inside markup")
            << QStringLiteral("News") << QStringLiteral("<span class=\"dividend\">Board meeting</span>")
            << none << none << QStringList{QStringLiteral("dividend")} << no;
        QTest::newRow("accents ignored") << QStringLiteral("Caf\u00e9 Holding") << no << none << none
                                         << QStringList{QStringLiteral("cafe")} << QStringLiteral("cafe");
        // "توزيع أرباح نقدية" with hamza on alef, kasra, tatweel; the word typed bare.
        QTest::newRow("arabic: hamza, diacritics, tatweel")
            << QStringLiteral("تـوزيعِ أرباح نقدية") << no << none << none
            << QStringList{QStringLiteral("توزيع ارباح")} << QStringLiteral("توزيع ارباح");
        QTest::newRow("arabic: taa marbuta typed as haa")
            << QStringLiteral("شركة المراعي") << no << none << none << QStringList{QStringLiteral("شركه")}
            << QStringLiteral("شركه");
        QTest::newRow("arabic: alef maqsura, madda, hamza below")
            << QStringLiteral("إعلان الجمعية العامة الأولى لمستشفى آل") << no << none << none
            << QStringList{QStringLiteral("مستشفي ال"), QStringLiteral("اعلان")}
            << QStringLiteral("مستشفي ال");
        QTest::newRow("arabic presentation forms")
            << QStringLiteral("\uFEB7\uFEAE\uFEDB\uFE94") << no << none << none
            << QStringList{QStringLiteral("شركه")} << QStringLiteral("شركه");
        QTest::newRow("arabic: different word") << QStringLiteral("زيادة رأس المال") << no << none << none
                                                << QStringList{QStringLiteral("توزيع")} << no;
    }

    void matchFor()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(QStringList, companies);
        QFETCH(QStringList, symbols);
        QFETCH(QStringList, words);
        QFETCH(QString, match);
        const Announcement announcement(QStringLiteral("se_1"), title, description,
                                        QStringLiteral("https://x.test/1"),
                                        Instant::fromReferenceSeconds(800000000), companies);
        const Watchlist watchlist(QSet<QString>(symbols.cbegin(), symbols.cend()), words);
        QCOMPARE(watchlist.matchFor(announcement), match);
        QCOMPARE(watchlist.matches(announcement), !match.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWatchlist)
#include "tst_watchlist.moc"
