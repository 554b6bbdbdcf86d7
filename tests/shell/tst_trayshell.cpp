#include "fetch/FetcherHarness.h"
#include "model/Preferences.h"
#include "model/TradingCalendar.h"
#include "notify/NotificationManager.h"
#include "shell/AnnouncementWindowLoader.h"
#include "shell/TrayShell.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualClock.h"
#include "support/RecordingUrlOpener.h"
#include "update/Updater.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementWindow.h"
#include "windows/UpdateDialog.h"
#include "windows/WatchlistEditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

namespace {
AnnouncementList makeAnnouncements(int count, int firstNumber = 0)
{
    AnnouncementList list;
    for (int n = firstNumber; n < firstNumber + count; ++n)
        list.append(Announcement(QStringLiteral("se_%1").arg(n), QStringLiteral("Title %1").arg(n), QString(),
                                 QStringLiteral("https://example.test/%1").arg(n),
                                 Instant::now().addSeconds(-n), {QString::number(1000 + n)}));
    return list;
}

AnnouncementsUpdate updateWith(const AnnouncementList& all, const AnnouncementList& fresh = {})
{
    AnnouncementsUpdate update;
    update.all = all;
    update.newAnnouncements = fresh;
    return update;
}

QString hhmm(int minute)
{
    minute = (minute + 1440) % 1440;
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

// As the user sees it: the tray's menu is built when it opens.
QStringList menuTexts(TrayController& tray)
{
    QMenu* menu = tray.menu().menu();
    Q_EMIT menu->aboutToShow();
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << action->text();
    Q_EMIT menu->aboutToHide();
    return texts;
}
} // namespace

// The shell's reactions to finished polls, notification clicks and settings, with recorded services.
class TestTrayShell : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    RecordingUrlOpener m_opener;
    ManualClock m_clock{Instant::now()};
    QStringList m_notified;
    QList<int> m_refreshed;
    int m_polls = 0;
    AnnouncementList m_kept;
    std::unique_ptr<TrayShell> m_shell;

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        m_notified.clear();
        m_refreshed.clear();
        m_polls = 0;
        m_kept = makeAnnouncements(10);

        TrayShell::Services services;
        services.preferences = m_preferences.get();
        services.opener = &m_opener;
        services.uiStateFile = m_dir.filePath(QStringLiteral("ui-state.json"));
        services.settingsHooks.issuerDirectory = m_dir.path();
        services.showTrayIcon = false;
        // The test links the windows directly instead of loading the program's module.
        services.createAnnouncementWindow = [this](const Announcement& announcement) -> QWidget* {
            return new AnnouncementWindow(announcement, {&m_opener, QUrl(), m_dir.filePath("ui-state.json")});
        };
        services.tellAnnouncements = [this](const AnnouncementList& list, std::optional<Instant>,
                                            const AnnouncementList&) {
            for (const Announcement& a : list)
                m_notified.append(a.id());
        };
        services.announcementsRefreshed = [this](int count) { m_refreshed.append(count); };
        services.pollNow = [this] { ++m_polls; };
        services.keptAnnouncements = [this] { return m_kept; };
        services.findAnnouncement = [this](const QString& id) -> std::optional<Announcement> {
            const auto it = std::find_if(m_kept.cbegin(), m_kept.cend(),
                                         [&id](const Announcement& a) { return a.id() == id; });
            return it == m_kept.cend() ? std::nullopt : std::optional(*it);
        };
        m_shell = std::make_unique<TrayShell>(services, m_clock);
        m_shell->start();
    }

    void cleanup() { m_shell.reset(); }

    void finishedPollRebuildsNotifiesAndReports()
    {
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept, m_kept.mid(0, 3)));
        QCOMPARE(m_shell->tray()->menu().announcements().size(), 10);
        QCOMPARE(m_notified,
                 (QStringList{QStringLiteral("se_0"), QStringLiteral("se_1"), QStringLiteral("se_2")}));
        QCOMPARE(m_refreshed, QList<int>{10});
        QVERIFY(!m_shell->tray()->badgeShown()); // empty watchlist: never a badge

        m_shell->handleAnnouncementsUpdated(AnnouncementsUpdate{});
        QCOMPARE(m_refreshed, QList<int>{10}); // an empty list sends nothing
        QCOMPARE(m_shell->tray()->menu().announcements().size(), 0);
    }

    // A pause, then quiet hours: the first line and the tooltip say so until the hold ends by itself
    // or the line's command ends it (and a poll tells what waited).
    void holdOnTheFirstLineUntilItEnds()
    {
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        TrayController& tray = *m_shell->tray();
        const auto heldLine = [&tray] {
            const QString line = menuTexts(tray).value(1);
            return line.contains(QStringLiteral(" \u2014 ")) ? line : QString();
        };
        m_shell->menuPauseForAnHour();
        QCOMPARE(m_preferences->pausedUntil(), m_clock.now().addSeconds(3600));
        QVERIFY2(heldLine().startsWith(QStringLiteral("Notifications paused until ")),
                 qPrintable(heldLine()));
        QVERIFY(tray.toolTip().contains(QStringLiteral("Notifications paused until ")));
        m_clock.advance(3601);
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        QCOMPARE(heldLine(), QString());
        QVERIFY(!tray.toolTip().contains(QStringLiteral("paused")));

        m_shell->menuPauseUntilTomorrowsOpen();
        QCOMPARE(m_preferences->pausedUntil(), TradingCalendar::openAfterToday(m_clock.now()));
        tray.menu().menu()->actions().at(1)->trigger();
        QCOMPARE(m_preferences->pausedUntil(), std::nullopt);
        QCOMPARE(m_polls, 1);
        QCOMPARE(heldLine(), QString());

        const int minute = TradingCalendar::riyadhMinute(m_clock.now());
        m_preferences->setQuietHours(QStringLiteral("%1-%2").arg(hhmm(minute - 1), hhmm(minute + 60)));
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        QVERIFY2(heldLine().startsWith(QStringLiteral("Quiet hours until ")), qPrintable(heldLine()));
        tray.menu().menu()->actions().at(1)->trigger();
        QVERIFY(m_preferences->quietHours().isOff());
        QCOMPARE(m_polls, 2);
    }

    // The morning digest's entry stays near the top until it is opened, from the menu or its
    // notification; either shows just its announcements.
    void digestEntryUntilOpened()
    {
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        TrayController& tray = *m_shell->tray();
        const Instant now = m_clock.now();
        m_shell->showDigest(MorningDigest::make(m_kept, now, now));
        QCOMPARE(menuTexts(tray).value(1), QStringLiteral("\u2600\uFE0F  Morning Digest: 10 announcements"));
        tray.menu().menu()->actions().at(1)->trigger();
        QCOMPARE(m_shell->allAnnouncementsWindow()->announcements().size(), 10);
        QVERIFY(!menuTexts(tray).join(QLatin1Char('|')).contains(QStringLiteral("Morning Digest")));

        const MorningDigest later = MorningDigest::make(m_kept.mid(0, 2), now, now);
        m_shell->showDigest(later);
        QVERIFY(menuTexts(tray).value(1).contains(QStringLiteral("Morning Digest: 2 announcements")));
        m_shell->handleOpenAnnouncement(NotificationManager::digestFor(later).userInfo);
        QCOMPARE(m_shell->allAnnouncementsWindow()->announcements().size(), 2);
        QVERIFY(!menuTexts(tray).join(QLatin1Char('|')).contains(QStringLiteral("Morning Digest")));
    }

    void watchlistMatchShowsTheBadgeUntilTheMenuOpens()
    {
        m_preferences->setWatchlistSymbols({QStringLiteral("1002")});
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept, m_kept.mid(0, 2)));
        QVERIFY(!m_shell->tray()->badgeShown());
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept, m_kept.mid(2, 1)));
        QVERIFY(m_shell->tray()->badgeShown());
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept)); // the next poll, nothing new
        QVERIFY(m_shell->tray()->badgeShown());
        Q_EMIT m_shell->tray()->menu().menu()->aboutToShow();
        QVERIFY(!m_shell->tray()->badgeShown());
    }

    void watchlistEditInSettingsRebuildsTheMenu()
    {
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        m_shell->menuOpenSettings();
        WatchlistEditor* editor = m_shell->settingsWindow()->watchlistEditor();
        editor->symbolInput()->setText(QStringLiteral("1003"));
        QVERIFY(editor->addTyped());
        const QList<QAction*> actions = m_shell->tray()->menu().menu()->actions();
        const auto first = std::find_if(actions.cbegin(), actions.cend(),
                                        [](const QAction* a) { return TrayMenu::tagOf(a) == 0; });
        QVERIFY(first != actions.cend()); // the watchlist section, before any poll
        QCOMPARE((*first)->data().value<Announcement>().id(), QStringLiteral("se_3"));
    }

    // What the quiet check a moment after start finds is shown whole: heading, version and a
    // Download button that opens the release.
    void quietUpdateCheckShowsTheNewVersion()
    {
        LoopbackHttpServer server([](const httplib::Request&, httplib::Response& response) {
            response.set_content(
                "<rss xmlns:sparkle=\"urn:x\"><channel><item><sparkle:version>99</sparkle:version>"
                "<sparkle:shortVersionString>9.9</sparkle:shortVersionString>"
                "<enclosure url=\"https://dl.example/z.deb\"/></item></channel></rss>",
                "application/xml");
        });
        Updater updater(QString::fromLatin1(server.url("/appcast.xml")));
        updater.setSchedule(0, 24 * 60 * 60 * 1000);
        RecordingUrlOpener opener;
        TrayShell::Services services;
        services.preferences = m_preferences.get();
        services.opener = &opener;
        services.updater = &updater;
        services.showTrayIcon = false;
        TrayShell shell(services, m_clock);
        QTRY_VERIFY_WITH_TIMEOUT(shell.shownUpdateDialog() && shell.shownUpdateDialog()->isVisible(), 30000);
        UpdateDialog* dialog = shell.shownUpdateDialog();
        QVERIFY2(dialog->message().contains(QStringLiteral("9.9")), qPrintable(dialog->message()));
        QVERIFY(!dialog->heading().isEmpty());
        dialog->downloadButton()->click();
        QCOMPARE(opener.opened(), QList<QUrl>{QUrl(QStringLiteral("https://dl.example/z.deb"))});
    }

    // Run as root with its sandbox on, the web engine would end the program: it is not started.
    void webEngineNotStartedWhereItWouldEndTheProgram()
    {
        const auto refused = [](bool root, const QString& name, const QString& value) {
            QProcessEnvironment environment;
            environment.insert(name, value);
            return !AnnouncementWindowLoader::webEngineRefusal(root, environment).isEmpty();
        };
        QVERIFY(refused(true, QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("0")));
        QVERIFY(
            refused(true, QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--no-sandboxes")));
        QVERIFY(!refused(true, QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1")));
        QVERIFY(
            !refused(true, QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("-x --no-sandbox")));
        QVERIFY(!refused(false, QString(), QString()));
    }

    void listWindowShowsASummaryOrAllWhileVisible()
    {
        // A summary notification's click shows just its announcements, also after the next poll.
        m_shell->handleOpenAnnouncement(
            {{QStringLiteral("summary"), QStringList{QStringLiteral("se_5"), QStringLiteral("se_1")}}});
        AllAnnouncementsWindow* window = m_shell->allAnnouncementsWindow();
        QVERIFY(window && window->isVisible());
        m_shell->handleAnnouncementsUpdated(updateWith(m_kept));
        QCOMPARE(window->announcements(), (AnnouncementList{m_kept.at(1), m_kept.at(5)}));
        m_shell->menuViewAll();
        QCOMPARE(window->announcements().size(), 10);
        m_shell->handleAnnouncementsUpdated(updateWith(makeAnnouncements(4, 50)));
        QCOMPARE(window->announcements().size(), 4);
        window->close();
        m_shell->handleAnnouncementsUpdated(updateWith(makeAnnouncements(7, 50)));
        QCOMPARE(window->announcements().size(), 4);
    }

    void clicksOpenKeptAnnouncementsOrTheirWebLinks()
    {
        const auto click = [this](const char* id, const char* link) {
            m_shell->handleOpenAnnouncement({{QStringLiteral("id"), QString::fromLatin1(id)},
                                             {QStringLiteral("link"), QString::fromLatin1(link)}});
        };
        click("se_4", "https://example.test/4");
        QWidget* window = m_shell->announcementWindow(QStringLiteral("se_4"));
        QVERIFY(window && window->isVisible());
        window->close();
        click("se_4", "");
        QCOMPARE(m_shell->announcementWindow(QStringLiteral("se_4")), window); // the same window again
        QVERIFY(window->isVisible());
        QVERIFY(m_opener.opened().isEmpty());

        click("se_gone", "https://example.test/gone");
        click("se_gone2", "file:///etc/passwd");
        m_shell->handleOpenAnnouncement({});
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(QStringLiteral("https://example.test/gone"))});
        // A menu item without an announcement opens nothing.
        m_shell->menuOpenAnnouncement(QVariant(QStringLiteral("se_0")));
        QVERIFY(!m_shell->announcementWindow(QStringLiteral("se_0")));
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
        TrayShell shell(services, h.clock);
        shell.start();
        TrayController& tray = *shell.tray();
        connect(h.fetcher.get(), &AnnouncementFetcher::pollFinished, &shell,
                &TrayShell::handleAnnouncementsUpdated);
        const auto image = [&tray] { return tray.trayIcon()->icon().pixmap(32).toImage(); };
        QVERIFY(tray.trayIcon()->toolTip().endsWith(QStringLiteral("\nNot checked yet")));

        h.pollAndWait();
        QVERIFY2(tray.trayIcon()->toolTip().contains(QStringLiteral("\nChecked ")),
                 qPrintable(tray.trayIcon()->toolTip()));
        const QImage watching = image();
        const QStringList normalMenu = menuTexts(tray);

        portalsim::Fault denied;
        denied.status = 403;
        h.sim->setFault(portalsim::Feed::IssuerEN, 0, denied);
        h.sim->setFault(portalsim::Feed::MarketEN, 0, denied);
        for (const int minutes : {3, 10, 10, 11, 10, 10}) {
            h.clock.advance(minutes * 60);
            h.pollAndWait();
            if (minutes == 3)
                QVERIFY2(tray.trayIcon()->toolTip().contains(
                             QStringLiteral("Can't reach the Saudi Exchange since ")),
                         qPrintable(tray.trayIcon()->toolTip()));
            if (problems.isEmpty())
                QCOMPARE(image(), watching); // failing, but not for long yet
        }
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().endsWith(QStringLiteral("(403 Access Denied)")),
                 qPrintable(problems.first()));
        QVERIFY(image() != watching);
        const QStringList outageMenu = menuTexts(tray);
        QCOMPARE(outageMenu.size(), normalMenu.size() + 2);
        QCOMPARE(outageMenu.at(1), QStringLiteral("\u26A0  Not watching: ") + problems.first());
        tray.menu().menu()->actions().at(2)->trigger(); // Retry Now
        QCOMPARE(retries, 1);

        // Restarting while not watching neither notifies again nor forgets the state.
        TrayShell restarted(services, h.clock);
        restarted.start();
        QVERIFY(restarted.tray()->notWatching());

        h.sim->clearFaults();
        h.clock.advance(180);
        h.pollAndWait();
        QCOMPARE(image(), watching);
        QCOMPARE(menuTexts(tray), normalMenu);
        QCOMPARE(problems.size(), 1); // no notification for the recovery
    }
};

QTEST_MAIN(TestTrayShell)
#include "tst_trayshell.moc"
