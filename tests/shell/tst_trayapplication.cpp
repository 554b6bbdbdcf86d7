#include "model/TradingCalendar.h"
#include "notify/NotificationManager.h"
#include "shell/AnnouncementWindowLoader.h"
#include "shell/TrayApplication.h"
#include "support/ContextHarness.h"
#include "support/LoopbackHttpServer.h"
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

// As the user sees it: the tray's menu is built when it opens.
QStringList menuTexts(TrayIcon& tray)
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

// The shell over the context the tray program runs on (a held clock, the portal simulator, recorded
// notifications): its reactions to finished polls, notification clicks and settings.
class TestTrayApplication : public QObject
{
    Q_OBJECT

    std::unique_ptr<ContextHarness> m_run;
    RecordingUrlOpener m_opener; // made anew for each test
    AnnouncementList m_kept;     // made up, for the shell alone
    std::unique_ptr<TrayApplication> m_shell;

    std::unique_ptr<TrayApplication> makeShell(AppContext& context, bool showTrayIcon = false)
    {
        TrayApplication::Services services;
        services.showTrayIcon = showTrayIcon;
        // The test links the windows directly instead of loading the program's module.
        services.createAnnouncementWindow = [this](const Announcement& announcement) -> QWidget* {
            return new AnnouncementWindow(announcement, {&m_opener, QUrl(), m_run->paths().uiStateFile()});
        };
        auto shell = std::make_unique<TrayApplication>(context, m_opener, services);
        shell->start();
        return shell;
    }

private Q_SLOTS:
    void init()
    {
        m_opener = RecordingUrlOpener();
        m_run = std::make_unique<ContextHarness>(10, 0);
        m_run->pollAndWait(); // the first poll ever: ten kept, none new
        m_kept = makeAnnouncements(10);
        m_shell = makeShell(*m_run->context);
    }

    void cleanup()
    {
        m_shell.reset();
        m_run.reset();
    }

    // A pause, then quiet hours: the first line and the tooltip say so until the hold ends by itself
    // or the line's command ends it (and a poll tells what waited).
    void holdOnTheFirstLineUntilItEnds()
    {
        m_shell->handleAnnouncementsUpdated({.all = m_kept});
        TrayIcon& tray = *m_shell->tray();
        Preferences& preferences = m_run->preferences();
        ManualClock& clock = m_run->clock;
        QSignalSpy polls(&m_run->fetcher(), &AnnouncementFetcher::pollFinished);
        const auto heldLine = [&tray] {
            const QString line = menuTexts(tray).value(1);
            return line.contains(QStringLiteral(" \u2014 ")) ? line : QString();
        };
        m_shell->menuPauseForAnHour();
        QCOMPARE(preferences.pausedUntil(), clock.now().addSeconds(3600));
        QVERIFY2(heldLine().startsWith(QStringLiteral("Notifications paused until ")),
                 qPrintable(heldLine()));
        QVERIFY(tray.toolTip().contains(QStringLiteral("Notifications paused until ")));
        clock.advance(3601);
        m_shell->handleAnnouncementsUpdated({.all = m_kept});
        QCOMPARE(heldLine(), QString());
        QVERIFY(!tray.toolTip().contains(QStringLiteral("paused")));

        m_shell->menuPauseUntilTomorrowsOpen();
        QCOMPARE(preferences.pausedUntil(), TradingCalendar::openAfterToday(clock.now()));
        tray.menu().menu()->actions().at(1)->trigger();
        QCOMPARE(preferences.pausedUntil(), std::nullopt);
        QCOMPARE(heldLine(), QString());
        QTRY_COMPARE(polls.size(), 1);

        const auto hhmm = [](int minute) { return QTime(0, 0).addSecs(minute * 60).toString(u"hh:mm"); };
        const int minute = TradingCalendar::riyadhMinute(clock.now());
        preferences.setQuietHours(hhmm(minute - 1) + QLatin1Char('-') + hhmm(minute + 60));
        m_shell->handleAnnouncementsUpdated({.all = m_kept});
        QVERIFY2(heldLine().startsWith(QStringLiteral("Quiet hours until ")), qPrintable(heldLine()));
        tray.menu().menu()->actions().at(1)->trigger();
        QVERIFY(preferences.quietHours().isOff());
        QTRY_COMPARE(polls.size(), 2);
    }

    // The morning digest's entry stays near the top until it is opened, from the menu or its
    // notification; either shows just its announcements.
    void digestEntryUntilOpened()
    {
        const AnnouncementList kept = m_run->fetcher().announcements();
        m_shell->handleAnnouncementsUpdated({.all = kept});
        TrayIcon& tray = *m_shell->tray();
        const Instant now = m_run->clock.now();
        m_shell->showDigest(MorningDigest::make(kept, now, now));
        QCOMPARE(menuTexts(tray).value(1), QStringLiteral("\u2600\uFE0F  Morning Digest: 10 announcements"));
        tray.menu().menu()->actions().at(1)->trigger();
        QCOMPARE(m_shell->allAnnouncementsWindow()->announcements().size(), 10);
        QVERIFY(!menuTexts(tray).join(QLatin1Char('|')).contains(QStringLiteral("Morning Digest")));

        const MorningDigest later = MorningDigest::make(kept.mid(0, 2), now, now);
        m_shell->showDigest(later);
        QVERIFY(menuTexts(tray).value(1).contains(QStringLiteral("Morning Digest: 2 announcements")));
        m_shell->handleOpenAnnouncement(NotificationManager::digestFor(later).data);
        QCOMPARE(m_shell->allAnnouncementsWindow()->announcements().size(), 2);
        QVERIFY(!menuTexts(tray).join(QLatin1Char('|')).contains(QStringLiteral("Morning Digest")));
    }

    void watchlistMatchShowsTheBadgeUntilTheMenuOpens()
    {
        m_shell->handleAnnouncementsUpdated({.newAnnouncements = m_kept.mid(2, 1), .all = m_kept});
        QVERIFY(!m_shell->tray()->badgeShown()); // empty watchlist: never a badge
        m_run->preferences().setWatchlistSymbols({QStringLiteral("1002")});
        m_shell->handleAnnouncementsUpdated({.newAnnouncements = m_kept.mid(0, 2), .all = m_kept});
        QVERIFY(!m_shell->tray()->badgeShown());
        m_shell->handleAnnouncementsUpdated({.newAnnouncements = m_kept.mid(2, 1), .all = m_kept});
        QVERIFY(m_shell->tray()->badgeShown());
        m_shell->handleAnnouncementsUpdated({.all = m_kept}); // the next poll, nothing new
        QVERIFY(m_shell->tray()->badgeShown());
        Q_EMIT m_shell->tray()->menu().menu()->aboutToShow();
        QVERIFY(!m_shell->tray()->badgeShown());
    }

    void watchlistEditInSettingsRebuildsTheMenu()
    {
        m_shell->handleAnnouncementsUpdated({.all = m_kept});
        m_shell->menuOpenSettings();
        WatchlistEditor* editor = m_shell->settingsWindow()->watchlistEditor();
        editor->symbolInput()->setText(QStringLiteral("1003"));
        QVERIFY(editor->addTyped());
        const QList<QAction*> actions = m_shell->tray()->menu().menu()->actions();
        const auto first = std::find_if(actions.cbegin(), actions.cend(),
                                        [](const QAction* a) { return TrayMenu::rowOf(a) == 0; });
        QVERIFY(first != actions.cend()); // the watchlist section, before any poll
        QCOMPARE((*first)->data().value<Announcement>().id(), QStringLiteral("se_3"));
    }

    // What the quiet check a moment after start finds is shown: the version and a Download button.
    void quietUpdateCheckShowsTheNewVersion()
    {
        LoopbackHttpServer server([](const httplib::Request&, httplib::Response& response) {
            response.set_content(
                R"(<rss xmlns:sparkle="urn:x"><channel><item><sparkle:version>99</sparkle:version>
                <sparkle:shortVersionString>9.9</sparkle:shortVersionString>
                <enclosure url="https://dl.example/z.deb"/></item></channel></rss>)",
                "application/xml");
        });
        m_shell.reset();
        AppEnvironment environment = m_run->environment();
        environment.appcastUrl = QString::fromLatin1(server.url("/appcast.xml"));
        AppContext context(environment);
        context.updater().setSchedule(0, 24 * 60 * 60 * 1000);
        const std::unique_ptr<TrayApplication> shell = makeShell(context);
        QTRY_VERIFY_WITH_TIMEOUT(shell->shownUpdateDialog() && shell->shownUpdateDialog()->isVisible(),
                                 30000);
        UpdateDialog* dialog = shell->shownUpdateDialog();
        QVERIFY2(dialog->message().contains(QStringLiteral("9.9")), qPrintable(dialog->message()));
        dialog->downloadButton()->click();
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(QStringLiteral("https://dl.example/z.deb"))});
    }

    // Run as root with its sandbox on, the web engine would end the program: it is not started.
    void webEngineNotStartedWhereItWouldEndTheProgram()
    {
        const QList<std::tuple<bool, QString, bool>> cases{
            {true, QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX=0"), true},
            {true, QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS=--no-sandboxes"), true},
            {true, QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX=1"), false},
            {true, QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS=-x --no-sandbox"), false},
            {false, QString(), false}};
        for (const auto& [root, variable, refused] : cases) {
            QProcessEnvironment environment;
            environment.insert(variable.section(QLatin1Char('='), 0, 0),
                               variable.section(QLatin1Char('='), 1));
            const bool sandboxOff = AppEnvironment::fromVariables(environment).webEngineSandboxOff;
            QCOMPARE(!AnnouncementWindowLoader::webEngineRefusal(root, sandboxOff).isEmpty(), refused);
        }
    }

    void listWindowShowsASummaryOrAllWhileVisible()
    {
        // A summary notification's click shows just its kept announcements, also after the next poll.
        const AnnouncementList kept = m_run->fetcher().announcements();
        m_shell->handleOpenAnnouncement(
            {{QStringLiteral("summary"), QStringList{kept.at(5).id(), kept.at(1).id()}}});
        AllAnnouncementsWindow* window = m_shell->allAnnouncementsWindow();
        QVERIFY(window && window->isVisible());
        m_shell->handleAnnouncementsUpdated({.all = m_kept});
        QCOMPARE(window->announcements(), (AnnouncementList{kept.at(1), kept.at(5)}));
        m_shell->menuViewAll();
        QCOMPARE(window->announcements().size(), 10);
        m_shell->handleAnnouncementsUpdated({.all = makeAnnouncements(4, 50)});
        QCOMPARE(window->announcements().size(), 4);
        window->close();
        m_shell->handleAnnouncementsUpdated({.all = makeAnnouncements(7, 50)});
        QCOMPARE(window->announcements().size(), 4);
    }

    void clicksOpenKeptAnnouncementsOrTheirWebLinks()
    {
        const auto click = [this](const QString& id, const char* link) {
            m_shell->handleOpenAnnouncement(
                {{QStringLiteral("id"), id}, {QStringLiteral("link"), QString::fromLatin1(link)}});
        };
        const QString kept = m_run->fetcher().announcements().at(4).id();
        click(kept, "https://example.test/4");
        QWidget* window = m_shell->announcementWindow(kept);
        QVERIFY(window && window->isVisible());
        window->close();
        click(kept, "");
        QCOMPARE(m_shell->announcementWindow(kept), window); // the same window again
        QVERIFY(window->isVisible());
        QVERIFY(m_opener.opened().isEmpty());

        click(QStringLiteral("se_gone"), "https://example.test/gone");
        click(QStringLiteral("se_gone2"), "file:///etc/passwd");
        m_shell->handleOpenAnnouncement({});
        QCOMPARE(m_opener.opened(), QList<QUrl>{QUrl(QStringLiteral("https://example.test/gone"))});
        // A menu item without an announcement opens nothing.
        m_shell->menuOpenAnnouncement(QVariant(kept));
        QVERIFY(!m_shell->announcementWindow(kept) || m_shell->announcementWindow(kept) == window);
    }

    // A long outage, driven by the portal simulator's faults on a held clock, as the tray shows it.
    void outageShownOnceAndCleared()
    {
        m_shell.reset();
        m_run = std::make_unique<ContextHarness>(60, 20);
        ContextHarness& h = *m_run;
        const auto problems = [&h] {
            QStringList lines;
            for (const NotificationRequest& request : h.posted)
                if (request.identifier == QLatin1String("zelvora-not-watching"))
                    lines << request.body.section(QLatin1Char('\n'), 0, 0);
            return lines;
        };
        const std::unique_ptr<TrayApplication> shell = makeShell(*h.context, true);
        TrayIcon& tray = *shell->tray();
        const auto pollAndShow = [&h] {
            h.pollAndWait();
            QCoreApplication::processEvents(); // the shell's queued share of the poll's end
        };
        const auto image = [&tray] { return tray.trayIcon()->icon().pixmap(32).toImage(); };
        pollAndShow();
        const QImage watching = image();
        const QStringList normalMenu = menuTexts(tray);

        h.sim->setFault(portalsim::Feed::IssuerEN, 0, {.status = 403});
        h.sim->setFault(portalsim::Feed::MarketEN, 0, {.status = 403});
        for (const int minutes : {3, 10, 10, 11, 10, 10}) {
            h.clock.advance(minutes * 60);
            pollAndShow();
            if (minutes == 3)
                QVERIFY2(tray.trayIcon()->toolTip().contains(
                             QStringLiteral("Can't reach the Saudi Exchange since ")),
                         qPrintable(tray.trayIcon()->toolTip()));
            if (problems().isEmpty())
                QCOMPARE(image(), watching); // failing, but not for long yet
        }
        QTRY_COMPARE(problems().size(), 1);
        QVERIFY2(problems().first().endsWith(QStringLiteral("(403 Access Denied)")),
                 qPrintable(problems().first()));
        QVERIFY(image() != watching);
        const QStringList outageMenu = menuTexts(tray);
        QCOMPARE(outageMenu.size(), normalMenu.size() + 2);
        QCOMPARE(outageMenu.at(1), QStringLiteral("\u26A0  Not watching: ") + problems().first());
        QSignalSpy retries(&h.fetcher(), &AnnouncementFetcher::pollFinished);
        tray.menu().menu()->actions().at(2)->trigger(); // Retry Now
        QVERIFY(retries.wait(30000));

        // Restarting while not watching neither notifies again nor forgets the state.
        const std::unique_ptr<AppContext> again = h.makeRun();
        QVERIFY(makeShell(*again)->tray()->notWatching());

        h.sim->clearFaults();
        h.clock.advance(180);
        pollAndShow();
        QCOMPARE(image(), watching);
        QCOMPARE(menuTexts(tray), normalMenu);
        QTest::qWait(50);               // the queued handling of the polls, which must not notify either
        QCOMPARE(problems().size(), 1); // no notification for the recovery
    }
};

QTEST_MAIN(TestTrayApplication)
#include "tst_trayapplication.moc"
