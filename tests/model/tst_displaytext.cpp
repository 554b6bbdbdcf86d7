#include "model/Announcement.h"
#include "model/DescriptionMarkup.h"
#include "model/DisplayTime.h"

#include <QTest>

// Riyadh is UTC+3 all year.
static Instant riyadh(int year, int month, int day, int hour, int minute)
{
    return Instant::fromDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), QTimeZone(3 * 3600)));
}

static Announcement withDate(Instant date, const QString& description = QString())
{
    return Announcement(QStringLiteral("se_1"), QStringLiteral("t"), description, QString(), date, {});
}

Q_DECLARE_METATYPE(Instant)

class TestDisplayText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One rule for every time shown: an announcement's by the Riyadh day and clock, marked as Riyadh
    // time only on a machine on another clock; the program's own on the machine's clock.
    void timeRule_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<Instant>("at");
        QTest::addColumn<Instant>("now");
        QTest::addColumn<QString>("announcement");
        QTest::addColumn<QString>("own");
        const Instant now = riyadh(2026, 3, 6, 0, 10);
        QTest::newRow("Riyadh, yesterday")
            << QByteArray("Asia/Riyadh") << riyadh(2026, 3, 5, 23, 30) << now
            << QStringLiteral("Yesterday 11:30 PM") << QStringLiteral("Yesterday 11:30 PM");
        QTest::newRow("UTC: Riyadh's yesterday, the machine's today")
            << QByteArray("UTC") << riyadh(2026, 3, 5, 23, 30) << now
            << QStringLiteral("Yesterday 11:30 PM Riyadh time") << QStringLiteral("8:30 PM");
        QTest::newRow("Los Angeles, midnight")
            << QByteArray("America/Los_Angeles") << riyadh(2026, 3, 6, 0, 30) << riyadh(2026, 3, 6, 23, 59)
            << QStringLiteral("12:30 AM Riyadh time") << QStringLiteral("Yesterday 1:30 PM");
        QTest::newRow("another year, no year shown")
            << QByteArray("Asia/Riyadh") << riyadh(2025, 12, 31, 9, 30) << now
            << QStringLiteral("Dec 31, 9:30 AM") << QStringLiteral("Dec 31, 9:30 AM");
        QTest::newRow("tomorrow; UTC+3 under another name")
            << QByteArray("Europe/Moscow") << riyadh(2026, 3, 7, 9, 0) << now
            << QStringLiteral("Mar 7, 9:00 AM") << QStringLiteral("Mar 7, 9:00 AM");
    }

    void timeRule()
    {
        QFETCH(QByteArray, zone);
        QFETCH(Instant, at);
        QFETCH(Instant, now);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QTimeZone system(zone);
        QTEST(withDate(at).displayDate(now, english, system), "announcement");
        QTEST(DisplayTime::own(at, now, english, system), "own");
    }

    void strippedDescription_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("only markup and space") << QStringLiteral(" <p>\n</p>\t<br/> ") << QString();
        QTest::newRow("escaped ampersand")
            << QStringLiteral("Sales &amp; Marketing") << QStringLiteral("Sales & Marketing");
        QTest::newRow("double-escaped lt") << QStringLiteral("a &amp;lt; b") << QStringLiteral("a < b");
        QTest::newRow("six references in order") << QStringLiteral("&lt;x&gt; &quot;q&quot; it&#39;s&nbsp;ok")
                                                 << QStringLiteral("<x> \"q\" it's ok");
        QTest::newRow("named entities stay, numeric ones decoded")
            << QStringLiteral("a &mdash; b &#8212; c") << QStringLiteral("a &mdash; b \u2014 c");
        QTest::newRow("lone less-than") << QStringLiteral("if a < b then") << QStringLiteral("if a < b then");
        QTest::newRow("prose between brackets stays")
            << QStringLiteral("a < b and c > d") << QStringLiteral("a < b and c > d");
        QTest::newRow("bracketed words stay, elements go")
            << QStringLiteral("Arabian & <Energy> Co <span class=\"x\">Q3</span><BR/>")
            << QStringLiteral("Arabian & <Energy> Co Q3");
        QTest::newRow("empty brackets stay") << QStringLiteral("x <> y") << QStringLiteral("x <> y");
        QTest::newRow("nested brackets") << QStringLiteral("<a<b>>c") << QStringLiteral("<a>c");
        QTest::newRow("table cells apart") << QStringLiteral("<td>Q3 2026.</td><td>Item</td><!-- note -->")
                                           << QStringLiteral("Q3 2026.  Item");
        QTest::newRow("multi-line tag") << QStringLiteral("\n<p\nclass=\"a\">x</p>") << QStringLiteral("x");
        QTest::newRow("inner space kept") << QStringLiteral("  a  \n\n  b  ") << QStringLiteral("a  \n\n  b");
        QTest::newRow("unicode spaces trimmed")
            << QStringLiteral("\u2028\u00a0\u0085x\u2029\u3000") << QStringLiteral("x");
    }

    void strippedDescription()
    {
        QFETCH(QString, description);
        QFETCH(QString, stripped);
        QCOMPARE(withDate(Instant(), description).strippedDescription(), stripped);
    }

    void displayTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("portal currency sign")
            << QStringLiteral("Total value reached <span class=\"sar-symbol\">&#x20C1;</span> 928 million")
            << QStringLiteral("Total value reached SAR 928 million");
        QTest::newRow("decimal reference and ampersand") << QStringLiteral("Al Rajhi &amp; Co &#8212; notice")
                                                         << QStringLiteral("Al Rajhi & Co \u2014 notice");
        QTest::newRow("references to nothing stay") << QStringLiteral("a &#0; b &#xD800; c &#x110000;")
                                                    << QStringLiteral("a &#0; b &#xD800; c &#x110000;");
        QTest::newRow("one line") << QStringLiteral(" <b>Board</b>\n  meeting ")
                                  << QStringLiteral("Board meeting");
    }

    void displayTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, shown);
        const Announcement announcement(QStringLiteral("se_1"), title, QString(), QString(), Instant(), {});
        QCOMPARE(announcement.displayTitle(), shown);
        QCOMPARE(announcement.title(), title);
    }

    // What the page drops from a description: every way to write the tags a parser would still read.
    void descriptionForPage_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("page");
        const auto row = [](const char* name, const char* html, const char* page) {
            QTest::newRow(name) << QString::fromUtf8(html) << QString::fromUtf8(page);
        };
        row("kept", "<p>a <basement> <a href=\"x\">b</a> <img src=\"y\"></p>",
            "<p>a <basement> <a href=\"x\">b</a> <img src=\"y\"></p>");
        row("slash, line break, case", "<BASE/href=\"t\">x<iframe\nsrc=\"t\"></iframe>", "x</iframe>");
        row("nested", "<ba<base>se href=\"t\"><ifr<link>ame src=\"t\">x", "x");
        row("quoted >", "<embed title=\">\" src=\"t\">x", "\" src=\"t\">x");
        row("unclosed", "x<object data=\"t\"", "x");
    }

    void descriptionForPage()
    {
        QFETCH(QString, html);
        QFETCH(QString, page);
        QCOMPARE(DescriptionMarkup::forPage(html), page);
    }
};

QTEST_GUILESS_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
