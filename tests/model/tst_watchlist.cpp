#include "model/Watchlist.h"

#include <QTest>

// "a|b" is the list {"a", "b"}; "" is the list of one empty string.
static QStringList list(const char* items)
{
    return QString::fromUtf8(items).split(QLatin1Char('|'));
}

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
            << QStringLiteral("x") << QStringLiteral("y") << list("2222") << list("") << list("  ") << no;
        QTest::newRow("company, any case")
            << no << no << list("ACWA") << list("acwa") << none << QStringLiteral("acwa");
        QTest::newRow("symbol as a word of the text")
            << QStringLiteral("Trading halt") << QStringLiteral("<p>Shares of (2222) resume</p>") << none
            << list("2222") << none << QStringLiteral("2222");
        QTest::newRow("symbol inside a longer number or a link")
            << QStringLiteral("Results of 22225")
            << QStringLiteral("<a href=\"/co?cs=2222\">Report 20201</a>") << none << list("2222|2020") << none
            << no;
        QTest::newRow("symbols before words")
            << QStringLiteral("Cash dividend") << no << list("4001") << list("2222|4001") << list("dividend")
            << QStringLiteral("4001");
        QTest::newRow("word in description text, any case")
            << QStringLiteral("Almarai") << QStringLiteral("Announces a <b>Rights Issue</b> of shares")
            << none << none << list("rights issue") << QStringLiteral("rights issue");
        QTest::newRow("word only inside markup")
            << QStringLiteral("News") << QStringLiteral("<span class=\"dividend\">Board meeting</span>")
            << none << none << list("dividend") << no;
        QTest::newRow("accents ignored") << QStringLiteral("Caf\u00e9 Holding") << no << none << none
                                         << list("cafe") << QStringLiteral("cafe");
        // "توزيع أرباح نقدية" with hamza on alef, kasra, tatweel; the word typed bare.
        QTest::newRow("arabic: hamza, diacritics, tatweel")
            << QStringLiteral("تـوزيعِ أرباح نقدية") << no << none << none << list("توزيع ارباح")
            << QStringLiteral("توزيع ارباح");
        QTest::newRow("arabic: taa marbuta typed as haa")
            << QStringLiteral("شركة المراعي") << no << none << none << list("شركه") << QStringLiteral("شركه");
        QTest::newRow("arabic: alef maqsura, madda, hamza below")
            << QStringLiteral("إعلان الجمعية العامة الأولى لمستشفى آل") << no << none << none
            << list("مستشفي ال|اعلان") << QStringLiteral("مستشفي ال");
        QTest::newRow("arabic: alef wasla typed bare")
            << QStringLiteral("ٱلشركة ٱلسعودية") << no << none << none << list("السعودية")
            << QStringLiteral("السعودية");
        QTest::newRow("arabic presentation forms") << QStringLiteral("\uFEB7\uFEAE\uFEDB\uFE94") << no << none
                                                   << none << list("شركه") << QStringLiteral("شركه");
        QTest::newRow("arabic: different word")
            << QStringLiteral("زيادة رأس المال") << no << none << none << list("توزيع") << no;
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
