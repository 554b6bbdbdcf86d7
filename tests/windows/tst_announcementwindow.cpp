#include "TestData.h"
#include "model/AnnouncementPage.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AnnouncementWindow.h"
#include "windows/SavedGeometry.h"
#include "windows/TagLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The window without its page: these tests never show a window, so the web engine never starts.
class TestAnnouncementWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    AnnouncementWindow::Services services(UrlOpener& opener)
    {
        return TestData::services(opener, m_dir.path());
    }

private Q_SLOTS:
    void titleTagsAndDateAgreeWithThePage()
    {
        QStringList six;
        for (int i = 1; i <= 6; ++i)
            six << QString::number(2220 + i);
        RecordingUrlOpener opener;
        const Announcement announcement =
            TestData::announcement(QStringLiteral("se_1"), QStringLiteral("Dividend &amp; <b>more</b>"), six);
        AnnouncementWindow window(announcement, services(opener));
        QCOMPARE(window.windowTitle(), QStringLiteral("Dividend & more")); // as text, like everywhere
        QVERIFY(!window.webView());                                        // not shown yet: no engine
        // Four tags in the bar, all six on the page.
        QStringList shown;
        for (const TagLabel* tag : window.tags())
            shown << tag->text();
        QCOMPARE(shown, six.mid(0, 4));
        QCOMPARE(window.buildHTML().count(QLatin1String("class=\"company-tag\"")), 6);
        QCOMPARE(window.dateLabel()->text(), AnnouncementPage::dateText(announcement.pubDate()));
        QVERIFY(window.buildHTML().contains(QStringLiteral("<span class=\"date\">") + window.dateText() +
                                            QStringLiteral("</span>")));
    }

    void buttonsOpenOnlyWebAddresses_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QList<QUrl>>("expected");
        const QUrl portal(QStringLiteral("https://portal.example.test"));
        const QString link = QStringLiteral("https://www.saudiexchange.sa/wps/portal/notice?id=7");
        QTest::newRow("web link") << link << QList<QUrl>{QUrl(link), portal};
        QTest::newRow("unparseable") << QStringLiteral("::not a link") << QList<QUrl>{portal};
        QTest::newRow("empty") << QString() << QList<QUrl>{portal};
        QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << QList<QUrl>{portal};
    }

    void buttonsOpenOnlyWebAddresses()
    {
        QFETCH(QString, link);
        QFETCH(QList<QUrl>, expected);
        RecordingUrlOpener opener;
        AnnouncementWindow window(
            TestData::announcement(QStringLiteral("x"), QStringLiteral("t"), {}, {}, link), services(opener));
        QTest::mouseClick(window.openSourceButton(), Qt::LeftButton);
        QTest::mouseClick(window.openInTadawulButton(), Qt::LeftButton);
        QCOMPARE(opener.opened(), expected);
    }

    void framesShareOneName()
    {
        RecordingUrlOpener opener;
        AnnouncementWindow first(TestData::announcement(QStringLiteral("a"), QStringLiteral("A")),
                                 services(opener));
        first.setGeometry(QRect(60, 50, 500, 400));
        first.savedGeometry()->saveNow();
        AnnouncementWindow second(TestData::announcement(QStringLiteral("b"), QStringLiteral("B")),
                                  services(opener));
        QCOMPARE(second.geometry(), QRect(60, 50, 500, 400));
    }
};

QTEST_MAIN(TestAnnouncementWindow)
#include "tst_announcementwindow.moc"
