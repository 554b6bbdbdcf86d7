#include "TestData.h"
#include "fetch/IssuerDirectory.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementRowView.h"
#include "windows/LineClampLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

class TestAllAnnouncementsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingUrlOpener m_opener;

    QString uiState() const { return m_dir.filePath(QStringLiteral("ui-state.json")); }

private Q_SLOTS:
    void init() { QFile::remove(uiState()); }

    void showsTheFirstHundredOrTheEmptyState()
    {
        AllAnnouncementsWindow window(m_opener, uiState());
        const AnnouncementList list = TestData::many(250);
        window.update(list);
        QCOMPARE(window.rows().size(), 100);
        QCOMPARE(window.separatorCount(), 99);
        QCOMPARE(window.announcements(), list.mid(0, 100));
        QVERIFY(!window.emptyStateView());
        window.update(TestData::many(1)); // an update replaces everything
        QCOMPARE(window.rows().size(), 1);
        QCOMPARE(window.separatorCount(), 0);
        window.update(AnnouncementList());
        QVERIFY(window.rows().isEmpty());
        QVERIFY(window.emptyStateView());
    }

    void searchNarrowsTheListAsTheUserTypes()
    {
        // 250 kept: every tenth names the issuer 2222 only by symbol; its name comes from the directory.
        AnnouncementList list = TestData::many(250);
        for (int i = 0; i < 250; i += 10)
            list[i] = TestData::announcement(
                QStringLiteral("se_%1").arg(i), QStringLiteral("Board meeting %1").arg(i),
                {QStringLiteral("2222")}, QStringLiteral("<p>Dividend for 2026</p>"),
                QStringLiteral("https://x.test/issuer-announcements/?anId=%1").arg(i));
        list[7] =
            TestData::announcement(QStringLiteral("se_7"), QStringLiteral("إعلانُ توزيع الأرباح النقدية"));
        IssuerDirectory issuers(m_dir.path());
        issuers.learn({TestData::announcement(QStringLiteral("x"), QStringLiteral("Arabian Energy Co."),
                                              {QStringLiteral("2222")}, QString(),
                                              QStringLiteral("https://x.test/issuer-announcements/?anId=1"))},
                      Instant::fromReferenceSeconds(794325900.0));
        QVERIFY(issuers.save());
        const Watchlist watchlist({}, {QStringLiteral("number 12")}); // titles "...number 12" and 121 to 129
        AllAnnouncementsWindow window(m_opener, uiState(), {[&] { return watchlist; }, m_dir.path()});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.update(list);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("250 kept"));

        QTest::keySequence(&window, QKeySequence::Find);
        QVERIFY(window.searchField()->hasFocus());
        QTest::keyClicks(window.searchField(), QStringLiteral("energy  DIVIDEND"));
        QCOMPARE(window.rows().size(), 25);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("25 of 250 match"));
        window.searchField()->setText(QStringLiteral("توزيع ارباح")); // typed without hamza or damma
        QCOMPARE(window.rows().size(), 1);
        QCOMPARE(window.rows().first()->announcement().id(), QStringLiteral("se_7"));

        // By category: the issuer announcements by their text, the other by its title.
        window.searchField()->clear();
        window.categoryFilter()->setCurrentIndex(1 + int(AnnouncementCategory::Kind::Dividends));
        QCOMPARE(window.countLabel()->text(), QStringLiteral("26 of 250 match"));
        window.categoryFilter()->setCurrentIndex(0);
        window.watchlistOnlySwitch()->setChecked(true);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 match"));
        window.searchField()->setText(QStringLiteral("nothing like this"));
        QVERIFY(window.rows().isEmpty());
        QVERIFY(window.emptyStateView());
        // A poll's update keeps the search the user typed.
        window.searchField()->setText(QStringLiteral("number 1"));
        window.update(list);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 match"));
    }

    void rowsShowTextNotMarkupInTheTitlesDirection()
    {
        AnnouncementRowView row(TestData::announcement(QStringLiteral("se_7"),
                                                       QStringLiteral("Cash dividend"), {},
                                                       QStringLiteral("<p>The board &amp; the CEO</p>")),
                                m_opener);
        QCOMPARE(row.descriptionLabel()->text(), QStringLiteral("The board & the CEO"));
        QCOMPARE(row.titleLabel()->textDirection(), Qt::LeftToRight);
        AnnouncementRowView markupOnly(TestData::announcement(QStringLiteral("x"), QStringLiteral("t"), {},
                                                              QStringLiteral("<br> <p></p>")),
                                       m_opener);
        QVERIFY(markupOnly.descriptionLabel()->text().isEmpty());
        AnnouncementRowView arabic(TestData::announcement(QStringLiteral("a"),
                                                          QStringLiteral("مجلس الإدارة يوصي"), {},
                                                          QStringLiteral("نص الإعلان")),
                                   m_opener);
        QCOMPARE(arabic.titleLabel()->textDirection(), Qt::RightToLeft);
        QCOMPARE(arabic.descriptionLabel()->textAlignment(), Qt::Alignment(Qt::AlignRight));

        LineClampLabel title(QStringLiteral("word ").repeated(200)); // at most two lines
        QCOMPARE(title.visibleLineCount(200), 2);
        QCOMPARE(title.heightForWidth(200), 2 * title.heightForWidth(100000));
    }

    void clickOpensOnlyWebLinksInTheBrowser()
    {
        AllAnnouncementsWindow window(m_opener, uiState());
        AnnouncementList list = TestData::many(2);
        list.append(TestData::announcement(QStringLiteral("bad"), QStringLiteral("No address"), {}, {},
                                           QStringLiteral("not a link")));
        list.append(TestData::announcement(QStringLiteral("file"), QStringLiteral("Local"), {}, {},
                                           QStringLiteral("file:///etc/passwd")));
        window.update(list);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<AnnouncementRowView*> rows = window.rows();
        QTest::mouseClick(rows.at(1), Qt::LeftButton, {}, QPoint(40, 20));
        rows.at(2)->rowTapped();
        rows.at(3)->rowTapped();
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(list.at(1).link())});
        // Closing only hides the window.
        QVERIFY(window.close());
        QCOMPARE(window.rows().size(), 4);
    }
};

QTEST_MAIN(TestAllAnnouncementsWindow)
#include "tst_allannouncementswindow.moc"
