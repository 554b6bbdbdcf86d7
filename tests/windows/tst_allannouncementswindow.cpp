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

using namespace Qt::StringLiterals;

class TestAllAnnouncementsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingUrlOpener m_opener;

    QString uiState() const { return m_dir.filePath(u"ui-state.json"_s); }

private Q_SLOTS:
    void init() { QFile::remove(uiState()); }

    void searchNarrowsTheListAsTheUserTypes()
    {
        // 250 kept: every tenth names the issuer 2222 only by symbol; its name comes from the directory.
        AnnouncementList list = TestData::many(250);
        for (int i = 0; i < 250; i += 10)
            list[i] = TestData::announcement(u"se_%1"_s.arg(i), u"Board meeting %1"_s.arg(i), {u"2222"_s},
                                             u"<p>Dividend for 2026</p>"_s,
                                             u"https://x.test/issuer-announcements/?anId=%1"_s.arg(i));
        list[7] = TestData::announcement(u"se_7"_s, u"إعلانُ توزيع الأرباح النقدية"_s);
        IssuerDirectory issuers(m_dir.path());
        issuers.learn({TestData::announcement(u"x"_s, u"Arabian Energy Co."_s, {u"2222"_s}, QString(),
                                              u"https://x.test/issuer-announcements/?anId=1"_s)},
                      Instant::fromReferenceSeconds(794325900.0));
        QVERIFY(issuers.save());
        const Watchlist watchlist({}, {u"number 12"_s}); // titles "...number 12" and 121 to 129
        AllAnnouncementsWindow window(m_opener, uiState(), {[&] { return watchlist; }, m_dir.path()});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.update(list);
        QCOMPARE(window.announcements(), list);
        QCOMPARE(window.countLabel()->text(), u"250 announcements in the last 30 days"_s);
        QVERIFY(!window.emptyStateView());

        QTest::keySequence(&window, QKeySequence::Find);
        QVERIFY(window.searchField()->hasFocus());
        QTest::keyClicks(window.searchField(), u"energy  DIVIDEND"_s);
        QCOMPARE(window.countLabel()->text(), u"25 of 250 announcements in the last 30 days"_s);
        window.searchField()->setText(u"توزيع ارباح"_s); // typed without hamza or damma
        QCOMPARE(window.announcements(), AnnouncementList{list.at(7)});

        // By category: the issuer announcements by their text, the other by its title.
        window.searchField()->clear();
        window.categoryFilter()->setCurrentIndex(1 + int(AnnouncementCategory::Kind::Dividends));
        QCOMPARE(window.countLabel()->text(), u"26 of 250 announcements in the last 30 days"_s);
        window.categoryFilter()->setCurrentIndex(0);
        window.watchlistOnlySwitch()->setChecked(true);
        QCOMPARE(window.countLabel()->text(), u"10 of 250 announcements in the last 30 days"_s);
        window.searchField()->setText(u"nothing like this"_s);
        QVERIFY(window.emptyStateView());
        // A poll's update keeps the search the user typed.
        window.searchField()->setText(u"number 1"_s);
        window.update(list);
        QCOMPARE(window.countLabel()->text(), u"10 of 250 announcements in the last 30 days"_s);
        window.update(AnnouncementList());
        QVERIFY(window.emptyStateView() && window.model()->rowCount() == 0);
    }

    void clickOpensOnlyWebLinksAndMarksRead()
    {
        HistoryArchive archive;
        AnnouncementList list = TestData::many(2);
        list.append(TestData::announcement(u"bad"_s, u"No address"_s, {}, {}, u"not a link"_s));
        list.append(TestData::announcement(u"file"_s, u"Local"_s, {}, {}, u"file:///etc/passwd"_s));
        for (const Announcement& announcement : list)
            archive.add({announcement, false});
        archive.add({TestData::announcement(u"old"_s, u"Older than the kept"_s), false});
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
        QCOMPARE(history.unread({u"se_0"_s, u"se_1"_s}), QSet<QString>{"se_0"});
        QCOMPARE(read.size(), 3);

        // The whole archive is a scope of its own; marking all read reaches past the kept list.
        window.setScope(AllAnnouncementsWindow::Scope::AllHistory);
        QCOMPARE(window.countLabel()->text(), u"5 announcements in the history"_s);
        window.searchField()->setText(u"older"_s);
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
        LineClampLabel title(u"word "_s.repeated(200));
        QCOMPARE(title.visibleLineCount(200), 2);
        QCOMPARE(title.heightForWidth(200), 2 * title.heightForWidth(100000));
    }
};

QTEST_MAIN(TestAllAnnouncementsWindow)
#include "tst_allannouncementswindow.moc"
