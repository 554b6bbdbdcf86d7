#include "TestData.h"
#include "fetch/IssuerDirectory.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementRowView.h"
#include "windows/LineClampLabel.h"
#include "windows/TagLabel.h"
#include "windows/WindowFrameStore.h"
#include "windows/WindowStyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

class TestAllAnnouncementsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingUrlOpener m_opener;

    QString uiState() const { return m_dir.filePath(QStringLiteral("ui-state.json")); }

    static void layOut(AnnouncementRowView* row, int width = 480)
    {
        row->resize(width, row->heightForWidth(width) > 0 ? row->heightForWidth(width) : 200);
        row->layout()->activate();
    }

private Q_SLOTS:
    void init() { QFile::remove(uiState()); }

    void nothingUntilTheFirstUpdate()
    {
        AllAnnouncementsWindow window(m_opener, uiState());
        QVERIFY(window.rows().isEmpty());
        QVERIFY(!window.emptyStateView());
    }

    void keepsTheFirstHundredWithSeparatorsBetween_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("separators");
        QTest::newRow("250") << 250 << 100 << 99;
        QTest::newRow("100") << 100 << 100 << 99;
        QTest::newRow("one") << 1 << 1 << 0;
    }

    void keepsTheFirstHundredWithSeparatorsBetween()
    {
        QFETCH(int, given);
        QFETCH(int, rows);
        QFETCH(int, separators);
        AllAnnouncementsWindow window(m_opener, uiState());
        const AnnouncementList list = TestData::many(given);
        window.update(list);
        QCOMPARE(window.rows().size(), rows);
        QCOMPARE(window.separatorCount(), separators);
        QCOMPARE(window.announcements(), list.mid(0, rows));
        QCOMPARE(window.rows().first()->announcement().id(), QStringLiteral("se_0"));
        QCOMPARE(window.rows().last()->announcement().id(), QStringLiteral("se_%1").arg(rows - 1));
        QVERIFY(!window.emptyStateView());

        // A second update replaces everything.
        window.update(TestData::many(3));
        QCOMPARE(window.rows().size(), 3);
        QCOMPARE(window.separatorCount(), 2);
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
        QCOMPARE(window.rows().size(), 100);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("250 kept"));

        QTest::keySequence(&window, QKeySequence::Find);
        QVERIFY(window.searchField()->hasFocus());
        QTest::keyClicks(window.searchField(), QStringLiteral("energy  DIVIDEND"));
        QCOMPARE(window.rows().size(), 25);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("25 of 250 match"));
        window.searchField()->setText(QStringLiteral("توزيع ارباح")); // typed without hamza or damma
        QCOMPARE(window.rows().size(), 1);
        QCOMPARE(window.rows().first()->announcement().id(), QStringLiteral("se_7"));

        window.searchField()->clear();
        window.watchlistOnlySwitch()->setChecked(true);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 match"));
        window.searchField()->setText(QStringLiteral("nothing like this"));
        QVERIFY(window.rows().isEmpty());
        QVERIFY(window.emptyStateView()->findChild<QLabel*>()->text().contains(
            QLatin1String("No announcement matches")));
        // A poll's update keeps the search the user typed.
        window.searchField()->setText(QStringLiteral("number 1"));
        window.update(list);
        QCOMPARE(window.countLabel()->text(), QStringLiteral("10 of 250 match"));
    }

    void emptyListShowsOnlyTheEmptyState()
    {
        AllAnnouncementsWindow window(m_opener, uiState());
        window.update(TestData::many(5));
        window.update(AnnouncementList());
        QVERIFY(window.rows().isEmpty());
        QCOMPARE(window.separatorCount(), 0);
        QVERIFY(window.emptyStateView());
        QCOMPARE(window.emptyStateView()->height(), 120);
        auto* label = window.emptyStateView()->findChild<QLabel*>();
        QCOMPARE(label->text(),
                 QStringLiteral("No announcements cached yet.\nAnnouncements appear here once fetched."));
        QVERIFY(label->alignment() & Qt::AlignHCenter);
    }

    void rowContent()
    {
        const Announcement announcement = TestData::announcement(
            QStringLiteral("se_7"), QStringLiteral("Cash dividend for Q3"),
            {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
             QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")},
            QStringLiteral("<p>The board &amp; the CEO</p>"));
        AnnouncementRowView row(announcement, m_opener);
        QCOMPARE(row.emojiLabel()->text(), QStringLiteral("\U0001F4B0"));
        QCOMPARE(row.titleLabel()->text(), announcement.title());
        QCOMPARE(row.dateLabel()->text(), announcement.displayDate());
        QCOMPARE(row.descriptionLabel()->text(), QStringLiteral("The board & the CEO"));
        const QList<TagLabel*> tags = row.tagRow()->findChildren<TagLabel*>();
        QCOMPARE(tags.size(), 4);
        QCOMPARE(tags.at(3)->text(), QStringLiteral("4"));
    }

    void gapsDependOnContent_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("companies");
        QTest::addColumn<int>("descriptionGap");
        QTest::addColumn<int>("tagGap");
        QTest::newRow("both") << QStringLiteral("<p>Body</p>") << QStringList{QStringLiteral("2222")} << 4
                              << 5;
        QTest::newRow("markup only") << QStringLiteral("<br> <p></p>") << QStringList{QStringLiteral("2222")}
                                     << 0 << 5;
        QTest::newRow("no companies") << QStringLiteral("Body") << QStringList{} << 4 << 0;
        QTest::newRow("neither") << QString() << QStringList{} << 0 << 0;
    }

    void gapsDependOnContent()
    {
        QFETCH(QString, description);
        QFETCH(QStringList, companies);
        QFETCH(int, descriptionGap);
        QFETCH(int, tagGap);
        AnnouncementRowView row(
            TestData::announcement(QStringLiteral("x"), QStringLiteral("Title"), companies, description),
            m_opener);
        layOut(&row);
        const QRect title = row.titleLabel()->geometry();
        const QRect body = row.descriptionLabel()->geometry();
        const QRect tags = row.tagRow()->geometry();
        QCOMPARE(title.top(), 12);
        QCOMPARE(title.left(), row.emojiLabel()->geometry().right() + 1 + 8);
        QCOMPARE(row.emojiLabel()->geometry().left(), 12);
        QCOMPARE(row.emojiLabel()->width(), 26);
        QCOMPARE(body.top() - (title.bottom() + 1), descriptionGap);
        QCOMPARE(tags.top() - (body.bottom() + 1), tagGap);
        QCOMPARE(row.height() - (tags.bottom() + 1), 12);
        QCOMPARE(row.width() - (row.dateLabel()->geometry().right() + 1), 14);
        QCOMPARE(row.dateLabel()->geometry().top(), 12); // its text one pixel lower (contents margin)
    }

    void arabicTitleIsRightAlignedRightToLeft()
    {
        AnnouncementRowView arabic(TestData::announcement(QStringLiteral("a"),
                                                          QStringLiteral("مجلس الإدارة يوصي"), {},
                                                          QStringLiteral("نص الإعلان")),
                                   m_opener);
        QCOMPARE(arabic.titleLabel()->textAlignment(), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(arabic.titleLabel()->textDirection(), Qt::RightToLeft);
        QCOMPARE(arabic.descriptionLabel()->textAlignment(), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(arabic.descriptionLabel()->textDirection(), Qt::RightToLeft);
        // The row itself is not mirrored: emoji on the left, date on the right.
        layOut(&arabic);
        QVERIFY(arabic.emojiLabel()->x() < arabic.dateLabel()->x());

        AnnouncementRowView english(
            TestData::announcement(QStringLiteral("e"), QStringLiteral("Board meeting")), m_opener);
        QCOMPARE(english.titleLabel()->textAlignment(), Qt::Alignment(Qt::AlignLeft));
        QCOMPARE(english.titleLabel()->textDirection(), Qt::LeftToRight);
    }

    void titleShowsAtMostTwoLines()
    {
        LineClampLabel label(QStringLiteral("word ").repeated(200));
        QCOMPARE(label.visibleLineCount(200), 2);
        QCOMPARE(label.heightForWidth(200), 2 * label.heightForWidth(100000));
        label.setText(QString());
        QCOMPARE(label.heightForWidth(200), 0);
    }

    void clickOpensTheLinkInTheBrowser()
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

        QList<QUrl> expected;
        QTest::mouseClick(rows.at(1), Qt::LeftButton, {}, QPoint(40, 20));
        expected << QUrl(list.at(1).link());
        QCOMPARE(m_opener.opened(), expected);
        // Addresses that are not web addresses open nothing.
        rows.at(2)->rowTapped();
        rows.at(3)->rowTapped();
        QCOMPARE(m_opener.opened(), expected);
        // Closing only hides the window.
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QCOMPARE(window.rows().size(), 4);
    }

    void hoverTintsAndClears()
    {
        AnnouncementRowView row(TestData::announcement(QStringLiteral("x"), QStringLiteral("Title")),
                                m_opener);
        row.resize(400, 80);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&row, &enter);
        QTRY_COMPARE_WITH_TIMEOUT(row.backgroundColor().rgba(), WindowStyle::hoverColor(row.palette()).rgba(),
                                  5000);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&row, &leave);
        QTRY_COMPARE_WITH_TIMEOUT(row.backgroundColor().alpha(), 0, 5000);
    }

    void frameIsSavedAndRestored()
    {
        {
            AllAnnouncementsWindow first(m_opener, uiState());
            QVERIFY(!first.frameSaver()->restored());
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            first.setGeometry(QRect(30, 40, 450, 420));
            first.hide(); // saves
        }
        AllAnnouncementsWindow second(m_opener, uiState());
        QVERIFY(second.frameSaver()->restored());
        QCOMPARE(second.geometry(), QRect(30, 40, 450, 420));

        // A frame below the minimum grows to it; one off every screen is not used.
        WindowFrameStore store(uiState());
        store.saveFrame(AllAnnouncementsWindow::kFrameName, QRect(10, 10, 100, 100));
        AllAnnouncementsWindow small(m_opener, uiState());
        QCOMPARE(small.size(), QSize(400, 400));
        store.saveFrame(AllAnnouncementsWindow::kFrameName, QRect(-5000, -5000, 500, 600));
        AllAnnouncementsWindow lost(m_opener, uiState());
        QVERIFY(!lost.frameSaver()->restored());
    }
};

QTEST_MAIN(TestAllAnnouncementsWindow)
#include "tst_allannouncementswindow.moc"
