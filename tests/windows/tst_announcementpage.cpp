#include "TestData.h"
#include "model/AnnouncementPage.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

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
                   u"se_1"_s, u"Al Rajhi Bank & \"Partners\" <Q3> Cash Dividend"_s,
                   {u"1120"_s, u"2222"_s, u"<7010>"_s},
                   QStringLiteral(
                       "<p>The board approved a dividend of <strong>SAR 1.00</strong> per share.</p>\n"
                       "<table><tr><th>Item</th><th>Value</th></tr><tr><td>Record date</td>"
                       "<td>2026-03-10</td></tr></table>\n"
                       "<p><a href=\"/wps/portal/notice\">Notice</a> <img src=\"chart.png\"></p>"))
            << u"March 4, 2026 at 2:05\u202FPM"_s << u"windows/page-three-companies.html"_s;
        QTest::newRow("none, Arabic")
            << TestData::announcement(u"se_2"_s, u"مجلس إدارة شركة المراعي يوصي بتوزيع أرباح"_s)
            << u"٤ مارس ٢٠٢٦ في ٢:٠٥ م"_s << u"windows/page-no-companies.html"_s;
    }

    void matchesGoldenFiles()
    {
        QFETCH(Announcement, announcement);
        QFETCH(QString, date);
        QFETCH(QString, golden);
        QFile sheet(u":/zelvora/AnnouncementPage.css"_s);
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        QByteArray style = sheet.readAll();
        // A right-to-left page anchors table headings and list indents at its start.
        if (golden.contains(u"no-companies"_s))
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
            return AnnouncementPage::buildHTML(
                TestData::announcement(u"n1"_s, u"Index addition"_s, {}, description, link), u"2:05 PM"_s);
        };
        const QString web = page(u"<p> </p>"_s, u"https://x.test/n?a=1&b=\"2\""_s);
        QVERIFY(web.contains(u"There is no further text for this item."_s));
        QVERIFY(web.contains(u"<a href=\"https://x.test/n?a=1&amp;b=%222%22\">"_s));
        const QString script = page(QString(), u"javascript:alert(1)"_s);
        QVERIFY(script.contains(u"There is no further text for this item."_s));
        QVERIFY(!script.contains(u"<a "_s));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementPage)
#include "tst_announcementpage.moc"
