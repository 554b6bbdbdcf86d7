// An announcement's texts as shown and matched: equality, direction, times, markup, watchlist words.
#include "model/Announcement.h"
#include "model/DescriptionMarkup.h"
#include "model/DisplayTime.h"
#include "model/Watchlist.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Instant)

namespace {
Announcement make(const QString& title, const QString& description = u"Body"_s,
                  const QStringList& companies = {u"2222"_s}, Instant date = Instant())
{
    return Announcement(u"se_1"_s, title, description, u"https://example.test/1"_s, date, companies);
}

// Riyadh is UTC+3 all year.
Instant riyadh(int year, int month, int day, int hour, int minute)
{
    return Instant::fromDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone(3 * 3600)));
}

// "a|b" is the list {"a", "b"}; "" is the list of one empty string.
QStringList list(const char* items)
{
    return QString::fromUtf8(items).split(u'|');
}

void textRow(const char* name, const char* in, const char* out)
{
    QTest::newRow(name) << QString::fromUtf8(in) << QString::fromUtf8(out);
}

void textColumns()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
}
} // namespace

class TestAnnouncement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void equalityCoversEveryField()
    {
        const Instant date = Instant::fromReferenceSeconds(800000000.25);
        const Announcement base = make(u"Title"_s, u"Body"_s, {u"2222"_s}, date);
        const Announcement same = make(u"Title"_s, u"Body"_s, {u"2222"_s}, date);
        QCOMPARE(base, same);
        QCOMPARE(qHash(base), qHash(same));
        const Announcement variants[] = {
            Announcement(u"se_2"_s, base.title(), base.description(), base.link(), date, base.companies()),
            make(u"Other"_s, u"Body"_s, {u"2222"_s}, date),
            make(u"Title"_s, u"Other body"_s, {u"2222"_s}, date),
            Announcement(base.id(), base.title(), base.description(), u"https://example.test/2"_s, date,
                         base.companies()),
            make(u"Title"_s, u"Body"_s, {u"2222"_s}, date.addSeconds(1e-6)),
            make(u"Title"_s, u"Body"_s, {u"2222"_s, u"1120"_s}, date),
            make(u"Title"_s, u"Body"_s, {}, date),
        };
        QSet<Announcement> set{base};
        for (const Announcement& other : variants) {
            QVERIFY(!(other == base));
            set.insert(other);
        }
        QCOMPARE(set.size(), 1 + int(std::size(variants)));
    }

    void isArabic_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("arabic");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("U+06FF") << QString(QChar(0x06FF)) + u"abc"_s << true;
        QTest::newRow("U+0700 Syriac") << QString(QChar(0x0700)) << false;
        QTest::newRow("U+FE00 selector") << QString(QChar(0xFE00)) << false;
        QTest::newRow("U+FE70") << QString(QChar(0xFE70)) << true;
        QTest::newRow("Arabic then Latin") << u"شركة Jarir"_s << true;
        QTest::newRow("digit then Arabic") << u"2222 أرامكو"_s << false;
        QTest::newRow("space then Arabic") << u" أرامكو"_s << false;
        // The first character is a grapheme: a Latin base with an Arabic combining mark counts.
        QTest::newRow("Latin base with Arabic mark") << u"a"_s + QChar(0x0651) + u"bc"_s << true;
    }

    void isArabic()
    {
        QFETCH(QString, title);
        QFETCH(bool, arabic);
        QCOMPARE(make(title).isArabic(), arabic);
        QCOMPARE(make(title).textDirection(), arabic ? Qt::RightToLeft : Qt::LeftToRight);
    }

    // An announcement's time by the Riyadh day and clock, marked as Riyadh time only on a machine on
    // another clock; the program's own on the machine's clock.
    void timeRule_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<Instant>("at");
        QTest::addColumn<Instant>("now");
        QTest::addColumn<QString>("announcement");
        QTest::addColumn<QString>("own");
        const Instant now = riyadh(2026, 3, 6, 0, 10);
        const auto row = [](const char* name, const char* zone, Instant at, Instant now,
                            const char* announcement, const char* own) {
            QTest::newRow(name) << QByteArray(zone) << at << now << QString::fromUtf8(announcement)
                                << QString::fromUtf8(own);
        };
        row("Riyadh, yesterday", "Asia/Riyadh", riyadh(2026, 3, 5, 23, 30), now, "Yesterday 11:30 PM",
            "Yesterday 11:30 PM");
        row("UTC: Riyadh's yesterday, the machine's today", "UTC", riyadh(2026, 3, 5, 23, 30), now,
            "Yesterday 11:30 PM Riyadh time", "8:30 PM");
        row("Los Angeles, midnight", "America/Los_Angeles", riyadh(2026, 3, 6, 0, 30),
            riyadh(2026, 3, 6, 23, 59), "12:30 AM Riyadh time", "Yesterday 1:30 PM");
        row("another year, no year shown", "Asia/Riyadh", riyadh(2025, 12, 31, 9, 30), now, "Dec 31, 9:30 AM",
            "Dec 31, 9:30 AM");
        row("tomorrow; UTC+3 under another name", "Europe/Moscow", riyadh(2026, 3, 7, 9, 0), now,
            "Mar 7, 9:00 AM", "Mar 7, 9:00 AM");
    }

    void timeRule()
    {
        QFETCH(QByteArray, zone);
        QFETCH(Instant, at);
        QFETCH(Instant, now);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QTEST(make(QString(), QString(), {}, at).displayDate(now, english, QTimeZone(zone)), "announcement");
        QTEST(DisplayTime::own(at, now, english, QTimeZone(zone)), "own");
    }

    void strippedDescription_data()
    {
        textColumns();
        textRow("only markup and space", " <p>\n</p>\t<br/> ", "");
        textRow("escaped ampersand", "Sales &amp; Marketing", "Sales & Marketing");
        textRow("double-escaped lt", "a &amp;lt; b", "a < b");
        textRow("six references in order", "&lt;x&gt; &quot;q&quot; it&#39;s&nbsp;ok", "<x> \"q\" it's ok");
        textRow("named entities stay, numeric ones decoded", "a &mdash; b &#8212; c", "a &mdash; b \u2014 c");
        textRow("prose between brackets stays", "a < b and c > d", "a < b and c > d");
        textRow("bracketed words stay, elements go", "Arabian & <Energy> Co <span class=\"x\">Q3</span><BR/>",
                "Arabian & <Energy> Co Q3");
        textRow("empty brackets stay", "x <> y", "x <> y");
        textRow("nested brackets", "<a<b>>c", "<a>c");
        textRow("table cells apart", "<td>Q3 2026.</td><td>Item</td><!-- note -->", "Q3 2026.  Item");
        textRow("multi-line tag", "\n<p\nclass=\"a\">x</p>", "x");
        textRow("inner space kept", "  a  \n\n  b  ", "a  \n\n  b");
        textRow("unicode spaces trimmed", "\u2028\u00a0\u0085x\u2029\u3000", "x");
    }

    void strippedDescription()
    {
        QFETCH(QString, in);
        QTEST(make(QString(), in).strippedDescription(), "out");
    }

    void displayTitle_data()
    {
        textColumns();
        textRow("portal currency sign",
                "Total value reached <span class=\"sar-symbol\">&#x20C1;</span> 928 million",
                "Total value reached SAR 928 million");
        textRow("decimal reference and ampersand", "Al Rajhi &amp; Co &#8212; notice",
                "Al Rajhi & Co \u2014 notice");
        textRow("references to nothing stay", "a &#0; b &#xD800; c &#x110000;",
                "a &#0; b &#xD800; c &#x110000;");
        textRow("one line", " <b>Board</b>\n  meeting ", "Board meeting");
    }

    void displayTitle()
    {
        QFETCH(QString, in);
        QTEST(make(in).displayTitle(), "out");
        QCOMPARE(make(in).title(), in);
    }

    // What the page drops from a description: every way to write the tags a parser would still read.
    void descriptionForPage_data()
    {
        textColumns();
        textRow("kept", "<p>a <basement> <a href=\"x\">b</a> <img src=\"y\"></p>",
                "<p>a <basement> <a href=\"x\">b</a> <img src=\"y\"></p>");
        textRow("slash, line break, case", "<BASE/href=\"t\">x<iframe\nsrc=\"t\"></iframe>", "x</iframe>");
        textRow("nested", "<ba<base>se href=\"t\"><ifr<link>ame src=\"t\">x", "x");
        textRow("quoted >", "<embed title=\">\" src=\"t\">x", "\" src=\"t\">x");
        textRow("unclosed", "x<object data=\"t\"", "x");
    }

    void descriptionForPage()
    {
        QFETCH(QString, in);
        QTEST(DescriptionMarkup::forPage(in), "out");
    }

    void watchlistMatch_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("companies");
        QTest::addColumn<QStringList>("symbols");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("match");
        const auto row = [](const char* name, const char* title, const char* description,
                            const char* companies, const char* symbols, const char* words,
                            const char* match) {
            const auto items = [](const char* s) { return *s ? list(s) : QStringList(); };
            QTest::newRow(name) << QString::fromUtf8(title) << QString::fromUtf8(description)
                                << items(companies) << items(symbols) << items(words)
                                << QString::fromUtf8(match);
        };
        row("empty watchlist", "", "", "", "", "", "");
        QTest::newRow("blank symbol and word")
            << u"x"_s << u"y"_s << list("2222") << list("") << list("  ") << QString();
        row("company, any case", "", "", "ACWA", "acwa", "", "acwa");
        row("symbol as a word of the text", "Trading halt", "<p>Shares of (2222) resume</p>", "", "2222", "",
            "2222");
        row("symbol inside a longer number or a link", "Results of 22225",
            "<a href=\"/co?cs=2222\">Report 20201</a>", "", "2222|2020", "", "");
        row("symbols before words", "Cash dividend", "", "4001", "2222|4001", "dividend", "4001");
        row("word in description text, any case", "Almarai", "Announces a <b>Rights Issue</b> of shares", "",
            "", "rights issue", "rights issue");
        row("word only inside markup", "News", "<span class=\"dividend\">Board meeting</span>", "", "",
            "dividend", "");
        row("accents ignored", "Caf\u00e9 Holding", "", "", "", "cafe", "cafe");
        // "توزيع أرباح نقدية" with hamza on alef, kasra, tatweel; the word typed bare.
        row("arabic: hamza, diacritics, tatweel", "تـوزيعِ أرباح نقدية", "", "", "", "توزيع ارباح",
            "توزيع ارباح");
        row("arabic: taa marbuta typed as haa", "شركة المراعي", "", "", "", "شركه", "شركه");
        row("arabic: alef maqsura, madda, hamza below", "إعلان الجمعية العامة الأولى لمستشفى آل", "", "", "",
            "مستشفي ال|اعلان", "مستشفي ال");
        row("arabic: alef wasla typed bare", "ٱلشركة ٱلسعودية", "", "", "", "السعودية", "السعودية");
        row("arabic presentation forms", "\uFEB7\uFEAE\uFEDB\uFE94", "", "", "", "شركه", "شركه");
        row("arabic: different word", "زيادة رأس المال", "", "", "", "توزيع", "");
    }

    void watchlistMatch()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        QFETCH(QStringList, companies);
        QFETCH(QStringList, symbols);
        QFETCH(QStringList, words);
        QFETCH(QString, match);
        const Watchlist watchlist(QSet<QString>(symbols.cbegin(), symbols.cend()), words);
        QCOMPARE(watchlist.matchFor(make(title, description, companies)), match);
        QCOMPARE(watchlist.matches(make(title, description, companies)), !match.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAnnouncement)
#include "tst_announcement.moc"
