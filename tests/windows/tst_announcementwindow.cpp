#include "TestData.h"
#include "model/AnnouncementPage.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AnnouncementWindow.h"
#include "windows/TagLabel.h"
#include "windows/WindowFrameStore.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The window without its page: these tests never show a window, so the web engine never starts.
class TestAnnouncementWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingUrlOpener m_opener;

    AnnouncementWindow::Services services() { return TestData::services(m_opener, m_dir.path()); }

    static QStringList six()
    {
        QStringList companies;
        for (int i = 1; i <= 6; ++i)
            companies << QStringLiteral("%1").arg(2220 + i);
        return companies;
    }

private Q_SLOTS:
    void basics()
    {
        const Announcement announcement = TestData::announcement(
            QStringLiteral("se_1"), QStringLiteral("Dividend &amp; <b>more</b>"), six());
        AnnouncementWindow window(announcement, services());
        QCOMPARE(window.windowTitle(), QStringLiteral("Dividend & more")); // as text, like everywhere
        QCOMPARE(window.size(), QSize(680, 540));
        QCOMPARE(window.minimumSize(), QSize(480, 360));
        QVERIFY(!window.webView()); // not shown yet: no engine
        QCOMPARE(window.openSourceButton()->text(), QStringLiteral("Open Source"));
        QCOMPARE(window.openInTadawulButton()->text(), QStringLiteral("Open in Tadawul"));
        QCOMPARE(window.findChild<QWidget*>(QStringLiteral("bottomBar"))->height(), 48);

        // Four tags in the bar, all six on the page.
        QCOMPARE(window.tags().size(), 4);
        QStringList shown;
        for (const TagLabel* tag : window.tags())
            shown << tag->text();
        QCOMPARE(shown, six().mid(0, 4));
        QCOMPARE(window.buildHTML().count(QLatin1String("class=\"company-tag\"")), 6);

        // The bar and the page show the same date text.
        QCOMPARE(window.dateLabel()->text(), AnnouncementPage::dateText(announcement.pubDate()));
        QVERIFY(window.buildHTML().contains(QStringLiteral("<span class=\"date\">") + window.dateText() +
                                            QStringLiteral("</span>")));
    }

    void barPlacesItsGroups()
    {
        AnnouncementWindow window(TestData::announcement(QStringLiteral("x"), QStringLiteral("t"), six()),
                                  services());
        window.resize(680, 540);
        window.layout()->activate();
        auto* bar = window.findChild<QWidget*>(QStringLiteral("bottomBar"));
        // A hidden window gets no resize events: lay the bar out by hand.
        bar->layout()->invalidate();
        bar->layout()->activate();
        QCOMPARE(bar->geometry().bottom() + 1, window.height());
        QCOMPARE(window.openSourceButton()->parentWidget()->x(), 12);
        QCOMPARE(bar->width() - (window.dateLabel()->geometry().right() + 1), 14);
        auto* tags = bar->findChild<QWidget*>(QStringLiteral("companyTags"));
        QVERIFY(qAbs(tags->geometry().center().x() - bar->width() / 2) <= 1);

        AnnouncementWindow none(TestData::announcement(QStringLiteral("y"), QStringLiteral("t")), services());
        QVERIFY(none.tags().isEmpty());
    }

    void buttonsOpenTheRightAddresses_data()
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

    void buttonsOpenTheRightAddresses()
    {
        QFETCH(QString, link);
        QFETCH(QList<QUrl>, expected);
        RecordingUrlOpener opener;
        AnnouncementWindow::Services withOpener = services();
        withOpener.opener = &opener;
        AnnouncementWindow window(
            TestData::announcement(QStringLiteral("x"), QStringLiteral("t"), {}, {}, link), withOpener);
        QTest::mouseClick(window.openSourceButton(), Qt::LeftButton);
        QTest::mouseClick(window.openInTadawulButton(), Qt::LeftButton);
        QCOMPARE(opener.opened(), expected);
    }

    void framesShareOneName()
    {
        const QString path = m_dir.filePath(QStringLiteral("shared-frame.json"));
        AnnouncementWindow::Services withFile = services();
        withFile.uiStateFile = path;
        AnnouncementWindow first(TestData::announcement(QStringLiteral("a"), QStringLiteral("A")), withFile);
        first.setGeometry(QRect(60, 50, 500, 400));
        first.frameSaver()->saveNow();
        QCOMPARE(WindowFrameStore(path).frame(AnnouncementWindow::kFrameName), QRect(60, 50, 500, 400));
        AnnouncementWindow second(TestData::announcement(QStringLiteral("b"), QStringLiteral("B")), withFile);
        QCOMPARE(second.geometry(), QRect(60, 50, 500, 400));
    }
};

QTEST_MAIN(TestAnnouncementWindow)
#include "tst_announcementwindow.moc"
