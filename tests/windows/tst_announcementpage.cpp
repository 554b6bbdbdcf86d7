#include "TestData.h"
#include "model/AnnouncementPage.h"
#include "model/RiyadhTime.h"

#include <QTest>

// The page document is compared byte for byte with golden files.
class TestAnnouncementPage : public QObject
{
    Q_OBJECT

    static Announcement threeCompanies()
    {
        return TestData::announcement(
            QStringLiteral("se_1"), QStringLiteral("Al Rajhi Bank & \"Partners\" <Q3> Cash Dividend"),
            {QStringLiteral("1120"), QStringLiteral("2222"), QStringLiteral("<7010>")},
            QStringLiteral("<p>The board approved a dividend of <strong>SAR 1.00</strong> per share.</p>\n"
                           "<table><tr><th>Item</th><th>Value</th></tr><tr><td>Record date</td>"
                           "<td>2026-03-10</td></tr></table>\n"
                           "<p><a href=\"/wps/portal/notice\">Notice</a> <img src=\"chart.png\"></p>"));
    }

    static Announcement arabicWithoutCompanies()
    {
        return TestData::announcement(QStringLiteral("se_2"),
                                      QStringLiteral("مجلس إدارة شركة المراعي يوصي بتوزيع أرباح"));
    }

    static QStringList lines(const QString& html) { return html.split(QLatin1Char('\n')); }

private Q_SLOTS:
    void matchesGoldenFiles_data()
    {
        QTest::addColumn<Announcement>("announcement");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("golden");
        QTest::newRow("three companies")
            << threeCompanies() << QStringLiteral("March 4, 2026 at 2:05\u202FPM")
            << QStringLiteral("windows/page-three-companies.html");
        QTest::newRow("none, Arabic") << arabicWithoutCompanies() << QStringLiteral("٤ مارس ٢٠٢٦ في ٢:٠٥ م")
                                      << QStringLiteral("windows/page-no-companies.html");
    }

    void matchesGoldenFiles()
    {
        QFETCH(Announcement, announcement);
        QFETCH(QString, date);
        QFETCH(QString, golden);
        const QByteArray expected = TestData::file(golden);
        QVERIFY(!expected.isEmpty());
        const QByteArray html = AnnouncementPage::buildHTML(announcement, date).toUtf8();
        if (html != expected) {
            const QList<QByteArray> got = html.split('\n');
            const QList<QByteArray> want = expected.split('\n');
            for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
                QCOMPARE(got.at(i), want.at(i));
            QCOMPARE(got.size(), want.size());
        }
        QVERIFY(html.endsWith("</html>"));
        // Same record, same date text: same document.
        QCOMPARE(AnnouncementPage::buildHTML(announcement, date).toUtf8(), html);
    }

    void companyLines()
    {
        const QStringList none =
            lines(AnnouncementPage::buildHTML(arabicWithoutCompanies(), QStringLiteral("d")));
        QVERIFY(none.contains(QStringLiteral("      ")));
        QVERIFY(!none.join(QLatin1Char('\n')).contains(QLatin1String("class=\"companies\"")));

        QStringList six;
        for (int i = 1; i <= 6; ++i)
            six << QStringLiteral("%1").arg(1000 + i);
        const QString html = AnnouncementPage::buildHTML(
            TestData::announcement(QStringLiteral("x"), QStringLiteral("t"), six), QStringLiteral("d"));
        QCOMPARE(html.count(QLatin1String("<span class=\"company-tag\">")), 6);
        QCOMPARE(html.count(QLatin1String("class=\"companies\"")), 1);
        QVERIFY(html.contains(QLatin1String("<span class=\"company-tag\">1006</span></div>\n")));
    }

    void escaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("all five in order")
            << QStringLiteral("&<>\"'") << QStringLiteral("&amp;&lt;&gt;&quot;'");
        QTest::newRow("entity escaped again")
            << QStringLiteral("A &amp; B") << QStringLiteral("A &amp;amp; B");
        QTest::newRow("already escaped tag")
            << QStringLiteral("&lt;b&gt;") << QStringLiteral("&amp;lt;b&amp;gt;");
        QTest::newRow("arabic untouched")
            << QStringLiteral("أرباح <نقدية>") << QStringLiteral("أرباح &lt;نقدية&gt;");
    }

    void escaping()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(text.toHtmlEscaped(), escaped);
        // The title as text and company entries are escaped the same way; the description never is.
        const Announcement announcement = TestData::announcement(QStringLiteral("x"), text, {text}, text);
        const QString html = AnnouncementPage::buildHTML(announcement, QStringLiteral("d"));
        QVERIFY(html.contains(QStringLiteral("<h1>") + announcement.displayTitle().toHtmlEscaped() +
                              QStringLiteral("</h1>")));
        QVERIFY(html.contains(QStringLiteral("<span class=\"company-tag\">") + escaped +
                              QStringLiteral("</span>")));
        QVERIFY(html.contains(QStringLiteral("<div class=\"content\">") + text +
                              QStringLiteral("</div>\n</div>")));
    }

    void emptyDescriptionGivesEmptyContent()
    {
        const QString html = AnnouncementPage::buildHTML(arabicWithoutCompanies(), QStringLiteral("d"));
        QVERIFY(lines(html).contains(QStringLiteral("  <div class=\"content\"></div>")));
        QVERIFY(!html.contains(QLatin1String("dir=")));
    }

    void dateTextIsLongDateShortTime_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QStringList>("parts");
        // 2026-03-04 11:05 UTC.
        QTest::newRow("en_US Riyadh") << QStringLiteral("en_US") << QByteArray("Asia/Riyadh")
                                      << QStringList{QStringLiteral("March 4, 2026"), QStringLiteral("2:05")};
        QTest::newRow("en_GB UTC") << QStringLiteral("en_GB") << QByteArray("UTC")
                                   << QStringList{QStringLiteral("4 March 2026"), QStringLiteral("11:05")};
        QTest::newRow("ar Riyadh") << QStringLiteral("ar") << QByteArray("Asia/Riyadh")
                                   << QStringList{QStringLiteral("مارس")};
    }

    void dateTextIsLongDateShortTime()
    {
        QFETCH(QString, locale);
        QFETCH(QByteArray, zone);
        QFETCH(QStringList, parts);
        const Instant instant = Instant::fromDateTime(QDateTime(QDate(2026, 3, 4), QTime(11, 5), Qt::UTC));
        const QString text = RiyadhTime::longDateShortTime(instant, locale, zone);
        for (const QString& part : parts)
            QVERIFY2(text.contains(part), qPrintable(text));
        QVERIFY(!text.contains(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementPage)
#include "tst_announcementpage.moc"
