#include "TestData.h"
#include "fetch/IssuerDirectory.h"
#include "history/HistoryStore.h"
#include "support/HistoryArchive.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementListModel.h"
#include "windows/LineClampLabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
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

    void showsEveryKeptAnnouncementOrTheEmptyState()
    {
        AllAnnouncementsWindow window(m_opener, uiState());
        const AnnouncementList list = TestData::many(2500);
        window.update(list);
        QCOMPARE(window.announcements(), list);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("2500 announcements in the last 30 days"));
        QVERIFY(!window.emptyStateView());
        window.update(AnnouncementList());
        QCOMPARE(window.model()->rowCount(), 0);
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
        QCOMPARE(window.countLabel()->text(), QStringLiteral("250 announcements in the last 30 days"));

        QTest::keySequence(&window, QKeySequence::Find);
        QVERIFY(window.searchField()->hasFocus());
        QTest::keyClicks(window.searchField(), QStringLiteral("energy  DIVIDEND"));
        QCOMPARE(window.countLabel()->text(), QStringLiteral("25 of 250 announcements in the last 30 days"));
        window.searchField()->setText(QStringLiteral("توزيع ارباح")); // typed without hamza or damma
        QCOMPARE(window.announcements(), AnnouncementList{list.at(7)});

        // By category: the issuer announcements by their text, the other by its title.
        window.searchField()->clear();
        window.categoryFilter()->setCurrentIndex(1 + int(AnnouncementCategory::Kind::Dividends));
        QCOMPARE(window.countLabel()->text(), QStringLiteral("26 of 250 announcements in the last 30 days"));
        window.categoryFilter()->setCurrentIndex(0);
        window.watchlistOnlySwitch()->setChecked(true);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 announcements in the last 30 days"));
        window.searchField()->setText(QStringLiteral("nothing like this"));
        QVERIFY(window.emptyStateView());
        // A poll's update keeps the search the user typed.
        window.searchField()->setText(QStringLiteral("number 1"));
        window.update(list);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 announcements in the last 30 days"));
    }

    void clickOpensOnlyWebLinksAndMarksRead()
    {
        HistoryArchive archive;
        AnnouncementList list = TestData::many(2);
        list.append(TestData::announcement(QStringLiteral("bad"), QStringLiteral("No address"), {}, {},
                                           QStringLiteral("not a link")));
        list.append(TestData::announcement(QStringLiteral("file"), QStringLiteral("Local"), {}, {},
                                           QStringLiteral("file:///etc/passwd")));
        for (const Announcement& announcement : list)
            archive.add({announcement, false});
        archive.add(
            {TestData::announcement(QStringLiteral("old"), QStringLiteral("Older than the kept")), false});
        HistoryStore history(archive.path(), {});
        AllAnnouncementsWindow window(m_opener, uiState(), {{}, m_dir.path(), &history});
        QSignalSpy read(&window, &AllAnnouncementsWindow::readChanged);
        window.update(list);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.model()->unreadCount(), 4);
        QListView* view = window.listView();
        // A row without text or symbols keeps no empty room for them.
        QVERIFY(view->visualRect(window.model()->index(2)).height() <
                view->visualRect(window.model()->index(0)).height());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(window.model()->index(1)).center());
        window.openRow(2);
        window.openRow(3);
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(list.at(1).link())});
        QVERIFY(window.model()->record(1).read && !window.model()->record(0).read);
        QCOMPARE(history.unread({QStringLiteral("se_0"), QStringLiteral("se_1")}), QSet<QString>{"se_0"});
        QCOMPARE(read.size(), 3);

        // The whole archive is a scope of its own; marking all read reaches past the kept list.
        window.setScope(AllAnnouncementsWindow::Scope::AllHistory);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("5 announcements in the history"));
        window.searchField()->setText(QStringLiteral("older"));
        QCOMPARE(window.announcements().size(), 1);
        window.markAllRead();
        QCOMPARE(history.unreadCount(), 0);
        QCOMPARE(window.model()->unreadCount(), 0);
        QCOMPARE(read.last().first().toStringList(), QStringList());
        // Closing only hides the window.
        QVERIFY(window.close());
        QCOMPARE(window.model()->rowCount(), 1);
    }

    void lineClampLabelKeepsTwoLines()
    {
        LineClampLabel title(QStringLiteral("word ").repeated(200));
        QCOMPARE(title.visibleLineCount(200), 2);
        QCOMPARE(title.heightForWidth(200), 2 * title.heightForWidth(100000));
    }
};

QTEST_MAIN(TestAllAnnouncementsWindow)
#include "tst_allannouncementswindow.moc"
