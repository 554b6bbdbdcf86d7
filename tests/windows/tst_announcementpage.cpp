#include "TestData.h"
#include "model/AnnouncementPage.h"

#include <QFile>
#include <QTest>

// The page document is compared byte for byte with golden files, which leave the style sheet out: the
// page must carry the one in the resource file whole.
class TestAnnouncementPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesGoldenFiles_data()
    {
        QTest::addColumn<Announcement>("announcement");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("golden");
        QTest::newRow("three companies")
            << TestData::announcement(
                   QStringLiteral("se_1"), QStringLiteral("Al Rajhi Bank & \"Partners\" <Q3> Cash Dividend"),
                   {QStringLiteral("1120"), QStringLiteral("2222"), QStringLiteral("<7010>")},
                   QStringLiteral(
                       "<p>The board approved a dividend of <strong>SAR 1.00</strong> per share.</p>\n"
                       "<table><tr><th>Item</th><th>Value</th></tr><tr><td>Record date</td>"
                       "<td>2026-03-10</td></tr></table>\n"
                       "<p><a href=\"/wps/portal/notice\">Notice</a> <img src=\"chart.png\"></p>"))
            << QStringLiteral("March 4, 2026 at 2:05\u202FPM")
            << QStringLiteral("windows/page-three-companies.html");
        QTest::newRow("none, Arabic")
            << TestData::announcement(QStringLiteral("se_2"),
                                      QStringLiteral("مجلس إدارة شركة المراعي يوصي بتوزيع أرباح"))
            << QStringLiteral("٤ مارس ٢٠٢٦ في ٢:٠٥ م") << QStringLiteral("windows/page-no-companies.html");
    }

    void matchesGoldenFiles()
    {
        QFETCH(Announcement, announcement);
        QFETCH(QString, date);
        QFETCH(QString, golden);
        QFile sheet(QStringLiteral(":/zelvora/AnnouncementPage.css"));
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        QByteArray style = sheet.readAll();
        // A right-to-left page anchors table headings and list indents at its start.
        if (golden.contains(QLatin1String("no-companies")))
            style.replace("text-align: left;", "text-align: start;")
                .replace("padding-left: 24px;", "padding-inline-start: 24px;");
        const QByteArray expected =
            TestData::file(golden).replace("<style>\n</style>", "<style>\n" + style + "</style>");
        QVERIFY(expected.size() > 1000);
        const QByteArray html = AnnouncementPage::buildHTML(announcement, date).toUtf8();
        const QList<QByteArray> got = html.split('\n');
        const QList<QByteArray> want = expected.split('\n');
        for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
            QCOMPARE(got.at(i), want.at(i));
        QCOMPARE(got.size(), want.size());
    }

    // An item with no text says so and leads to its source, a web address only, escaped.
    void pageWithoutTextOffersTheSource()
    {
        const auto page = [](const QString& description, const QString& link) {
            return AnnouncementPage::buildHTML(TestData::announcement(QStringLiteral("n1"),
                                                                      QStringLiteral("Index addition"), {},
                                                                      description, link),
                                               QStringLiteral("2:05 PM"));
        };
        const QString web = page(QStringLiteral("<p> </p>"), QStringLiteral("https://x.test/n?a=1&b=\"2\""));
        QVERIFY(web.contains(QLatin1String("There is no further text for this item.")));
        QVERIFY(web.contains(QLatin1String("<a href=\"https://x.test/n?a=1&amp;b=%222%22\">")));
        const QString script = page(QString(), QStringLiteral("javascript:alert(1)"));
        QVERIFY(script.contains(QLatin1String("There is no further text for this item.")));
        QVERIFY(!script.contains(QLatin1String("<a ")));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementPage)
#include "tst_announcementpage.moc"
