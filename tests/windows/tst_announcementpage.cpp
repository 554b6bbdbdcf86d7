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
    void pageWithoutTextOffersTheSource_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("source");
        QTest::newRow("markup without text") << "<p> </p>"
                                             << "https://x.test/n?a=1&b=\"2\""
                                             << "<a href=\"https://x.test/n?a=1&amp;b=%222%22\">";
        QTest::newRow("not a web address: no link") << QString() << "javascript:alert(1)" << QString();
    }

    void pageWithoutTextOffersTheSource()
    {
        QFETCH(QString, description);
        QFETCH(QString, link);
        QFETCH(QString, source);
        const QString html = AnnouncementPage::buildHTML(
            TestData::announcement(QStringLiteral("n1"), QStringLiteral("Index addition"), {}, description,
                                   link),
            QStringLiteral("2:05 PM"));
        QVERIFY(html.contains(QLatin1String("There is no further text for this item.")));
        QCOMPARE(html.contains(QLatin1String("<a ")), !source.isEmpty());
        QVERIFY(source.isEmpty() || html.contains(source));
    }

    void titleAndCompaniesAreEscapedTheDescriptionIsNot_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("all five in order")
            << QStringLiteral("&<>\"'") << QStringLiteral("&amp;&lt;&gt;&quot;'");
        QTest::newRow("entity escaped again")
            << QStringLiteral("A &amp; B") << QStringLiteral("A &amp;amp; B");
        QTest::newRow("arabic untouched")
            << QStringLiteral("أرباح <نقدية>") << QStringLiteral("أرباح &lt;نقدية&gt;");
    }

    void titleAndCompaniesAreEscapedTheDescriptionIsNot()
    {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        const Announcement announcement = TestData::announcement(QStringLiteral("x"), text, {text}, text);
        const QString html = AnnouncementPage::buildHTML(announcement, QStringLiteral("d"));
        QVERIFY(html.contains(QStringLiteral("<h1>") + announcement.displayTitle().toHtmlEscaped() +
                              QStringLiteral("</h1>")));
        QVERIFY(html.contains(QStringLiteral("<span class=\"company-tag\">") + escaped +
                              QStringLiteral("</span>")));
        QVERIFY(html.contains(QStringLiteral("<div class=\"content\">") + text +
                              QStringLiteral("</div>\n</div>")));
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementPage)
#include "tst_announcementpage.moc"
