#include "fetch/FetcherHarness.h"
#include "model/Preferences.h"
#include "shell/TrayShell.h"
#include "support/ManualClock.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementWindow.h"
#include "windows/WatchlistEditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

namespace {
AnnouncementList makeAnnouncements(int count, int firstNumber = 0)
{
    AnnouncementList list;
    for (int i = 0; i < count; ++i)
        list.append(Announcement(
            QStringLiteral("se_%1").arg(firstNumber + i), QStringLiteral("Title %1").arg(firstNumber + i),
            QString(), QStringLiteral("https://example.test/%1").arg(firstNumber + i),
            Instant::now().addSeconds(-i), {QStringLiteral("%1").arg(1000 + firstNumber + i)}));
    return list;
}
} // namespace

// The shell's reactions to finished polls and notification clicks, with recorded services.
class TestTrayShell : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    RecordingUrlOpener m_opener;
    QStringList m_notified;
    QList<int> m_refreshed;
    AnnouncementList m_kept;
    ManualClock m_clock{Instant::now()};
    std::unique_ptr<TrayShell> m_delegate;

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        m_notified.clear();
        m_refreshed.clear();
        m_kept = makeAnnouncements(10);

        TrayShell::Services services;
        services.preferences = m_preferences.get();
        services.opener = &m_opener;
        services.uiStateFile = m_dir.filePath(QStringLiteral("ui-state.json"));
        services.showTrayIcon = false;
        services.settingsHooks.issuerDirectory = m_dir.path();
        // The test links the windows directly instead of loading the program's module.
        services.createAnnouncementWindow = [this](const Announcement& announcement) -> QWidget* {
            return new AnnouncementWindow(announcement, {&m_opener, QUrl(), m_dir.filePath("ui-state.json")});
        };
        services.sendNotification = [this](const Announcement& a) { m_notified.append(a.id()); };
        services.announcementsRefreshed = [this](int count) { m_refreshed.append(count); };
        services.keptAnnouncements = [this] { return m_kept; };
        services.findAnnouncement = [this](const QString& id) -> std::optional<Announcement> {
            for (const Announcement& a : std::as_const(m_kept)) {
                if (a.id() == id)
                    return a;
            }
            return std::nullopt;
        };
        m_delegate = std::make_unique<TrayShell>(services, m_clock);
        m_delegate->start();
    }

    void cleanup() { m_delegate.reset(); }

    void finishedPollRebuildsNotifiesAndReports()
    {
        AnnouncementsUpdate update;
        update.all = m_kept;
        update.newAnnouncements = m_kept.mid(0, 3);
        m_delegate->handleAnnouncementsUpdated(update);
        QCOMPARE(m_delegate->tray()->menu().announcements().size(), 10);
        QCOMPARE(m_notified,
                 (QStringList{QStringLiteral("se_0"), QStringLiteral("se_1"), QStringLiteral("se_2")}));
        QCOMPARE(m_refreshed, QList<int>{10});
        QVERIFY(!m_delegate->tray()->badgeShown()); // empty watchlist: never a badge

        m_delegate->handleAnnouncementsUpdated(AnnouncementsUpdate{});
        QCOMPARE(m_refreshed, QList<int>{10}); // an empty list sends nothing
        QCOMPARE(m_delegate->tray()->menu().announcements().size(), 0);
    }

    void watchlistMatchShowsTheBadge()
    {
        m_preferences->setWatchlistSymbols({QStringLiteral("1002")});
        AnnouncementsUpdate update;
        update.all = m_kept;
        update.newAnnouncements = m_kept.mid(0, 2);
        m_delegate->handleAnnouncementsUpdated(update);
        QVERIFY(!m_delegate->tray()->badgeShown());
        update.newAnnouncements = m_kept.mid(2, 1);
        m_delegate->handleAnnouncementsUpdated(update);
        QVERIFY(m_delegate->tray()->badgeShown());
        // The mark waits for the user, not for the next poll.
        update.newAnnouncements.clear();
        m_delegate->handleAnnouncementsUpdated(update);
        QVERIFY(m_delegate->tray()->badgeShown());
        Q_EMIT m_delegate->tray()->menu().menu()->aboutToShow();
        QVERIFY(!m_delegate->tray()->badgeShown());
    }

    void watchlistEditInSettingsRebuildsTheMenu()
    {
        AnnouncementsUpdate update;
        update.all = m_kept;
        m_delegate->handleAnnouncementsUpdated(update);
        m_delegate->menuOpenSettings();
        WatchlistEditor* editor = m_delegate->settingsWindow()->watchlistEditor();
        editor->symbolInput()->setText(QStringLiteral("1003"));
        QVERIFY(editor->addTyped());
        const QList<QAction*> actions = m_delegate->tray()->menu().menu()->actions();
        const auto first = std::find_if(actions.cbegin(), actions.cend(),
                                        [](const QAction* a) { return TrayMenu::tagOf(a) == 0; });
        QVERIFY(first != actions.cend()); // the watchlist section, before any poll
        QCOMPARE((*first)->data().value<Announcement>().id(), QStringLiteral("se_3"));
    }

    void listWindowRefreshedOnlyWhileVisible()
    {
        m_delegate->menuViewAll();
        AllAnnouncementsWindow* window = m_delegate->allAnnouncementsWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->announcements().size(), 10);

        AnnouncementsUpdate update;
        update.all = makeAnnouncements(4, 50);
        m_delegate->handleAnnouncementsUpdated(update);
        QCOMPARE(window->announcements().size(), 4);
        window->close();
        update.all = makeAnnouncements(7, 50);
        m_delegate->handleAnnouncementsUpdated(update);
        QCOMPARE(window->announcements().size(), 4);
    }

    void notificationClickOpensKeptAnnouncementOrItsLink()
    {
        m_delegate->handleOpenAnnouncement(
            {{QStringLiteral("id"), QStringLiteral("se_4")},
             {QStringLiteral("link"), QStringLiteral("https://example.test/4")}});
        QWidget* window = m_delegate->announcementWindow(QStringLiteral("se_4"));
        QVERIFY(window && window->isVisible());
        window->close();
        m_delegate->handleOpenAnnouncement({{QStringLiteral("id"), QStringLiteral("se_4")}});
        QCOMPARE(m_delegate->announcementWindow(QStringLiteral("se_4")), window); // the same window again
        QVERIFY(window->isVisible());
        QVERIFY(m_opener.opened().isEmpty());

        m_delegate->handleOpenAnnouncement(
            {{QStringLiteral("id"), QStringLiteral("se_gone")},
             {QStringLiteral("link"), QStringLiteral("https://example.test/gone")}});
        m_delegate->handleOpenAnnouncement({{QStringLiteral("id"), QStringLiteral("se_gone2")},
                                            {QStringLiteral("link"), QStringLiteral("file:///etc/passwd")}});
        m_delegate->handleOpenAnnouncement({});
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(QStringLiteral("https://example.test/gone"))});
    }

    void menuItemsWithoutAnAnnouncementDoNothing()
    {
        m_delegate->menuOpenAnnouncement(QVariant(QStringLiteral("not an announcement")));
        m_delegate->menuOpenAnnouncement(QVariant());
        QVERIFY(!m_delegate->announcementWindow(QStringLiteral("se_0")));
    }

    // A long outage, driven by the portal simulator's faults on a held clock, as the tray shows it.
    void outageShownOnceAndCleared()
    {
        FetcherHarness h(60, 20);
        QStringList problems;
        int retries = 0;
        TrayShell::Services services;
        services.preferences = h.preferences.get();
        services.opener = &m_opener;
        services.pollStatus = [&h] { return h.fetcher->pollStatus(); };
        services.pollNow = [&retries] { ++retries; };
        services.notifyNotWatching = [&problems](const QString& problem) { problems << problem; };
        TrayShell delegate(services, h.clock);
        delegate.start();
        TrayController& tray = *delegate.tray();
        connect(h.fetcher.get(), &AnnouncementFetcher::pollFinished, &delegate,
                &TrayShell::handleAnnouncementsUpdated);
        const auto image = [&tray] { return tray.trayIcon()->icon().pixmap(32).toImage(); };
        const auto menuTexts = [&tray] {
            QStringList texts;
            for (const QAction* action : tray.menu().menu()->actions())
                texts << action->text();
            return texts;
        };
        QVERIFY(tray.toolTip().endsWith(QStringLiteral("\nNot checked yet")));

        h.pollAndWait();
        QVERIFY2(tray.toolTip().contains(QStringLiteral("\nChecked ")), qPrintable(tray.toolTip()));
        const QImage watching = image();
        const QStringList normalMenu = menuTexts();

        portalsim::Fault denied;
        denied.status = 403;
        h.sim->setFault(portalsim::Feed::IssuerEN, 0, denied);
        h.sim->setFault(portalsim::Feed::MarketEN, 0, denied);
        for (const int minutes : {3, 10, 10}) {
            h.clock.advance(minutes * 60);
            h.pollAndWait();
        }
        QVERIFY2(tray.toolTip().contains(QStringLiteral("Can't reach the Saudi Exchange since ")),
                 qPrintable(tray.toolTip()));
        QCOMPARE(image(), watching); // failing, but not for long yet
        QVERIFY(problems.isEmpty());
        for (const int minutes : {11, 10, 10}) {
            h.clock.advance(minutes * 60);
            h.pollAndWait();
        }
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().endsWith(QStringLiteral("(403 Access Denied)")),
                 qPrintable(problems.first()));
        QVERIFY(image() != watching);
        const QStringList outageMenu = menuTexts();
        QCOMPARE(outageMenu.size(), normalMenu.size() + 2);
        QCOMPARE(outageMenu.at(1), QStringLiteral("\u26A0  Not watching: ") + problems.first());
        QCOMPARE(outageMenu.at(2), QStringLiteral("Retry Now"));
        tray.menu().menu()->actions().at(2)->trigger();
        QCOMPARE(retries, 1);

        // Restarting while not watching neither notifies again nor forgets the state.
        TrayShell restarted(services, h.clock);
        restarted.start();
        QVERIFY(restarted.tray()->notWatching());

        h.sim->clearFaults();
        h.clock.advance(180);
        h.pollAndWait();
        QCOMPARE(image(), watching);
        QCOMPARE(menuTexts(), normalMenu);
        QCOMPARE(problems.size(), 1); // no notification for the recovery
    }
};

QTEST_MAIN(TestTrayShell)
#include "tst_trayshell.moc"
