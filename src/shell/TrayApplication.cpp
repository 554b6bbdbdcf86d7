#include "shell/TrayApplication.h"

#include "context/AppContext.h"
#include "fetch/AnnouncementFetcher.h"
#include "history/HistoryStore.h"
#include "model/AppConstants.h"
#include "model/DisplayTime.h"
#include "model/Preferences.h"
#include "model/TradingCalendar.h"
#include "notify/NotificationManager.h"
#include "platform/HeapTrim.h"
#include "platform/gui/TrayNotificationBackend.h"
#include "platform/gui/UrlOpener.h"
#include "telemetry/TelemetryService.h"
#include "update/Updater.h"
#include "windows/AboutWindow.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementListModel.h"
#include "windows/UpdateDialog.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <limits>

TrayApplication::TrayApplication(AppContext& context, UrlOpener& opener, Services services, QObject* parent)
    : QObject(parent), m_context(context), m_opener(opener), m_services(std::move(services)),
      m_clock(context.clock())
{
    // What the settings window needs of the run, beside what the program gave.
    SettingsWindow::Services& hooks = m_services.settingsServices;
    AnnouncementFetcher& fetcher = context.fetcher();
    hooks.restartPolling = [&fetcher] { fetcher.restartPolling(); };
    hooks.issuerDirectory = context.paths().cacheDirectory();
    hooks.history = m_services.history;
    hooks.clock = &m_clock;
    hooks.portalOrigin = context.portalOrigin();
    hooks.doNotTrack = context.environment().doNotTrack;
    connect(&fetcher, &AnnouncementFetcher::pollFinished, this, &TrayApplication::handleAnnouncementsUpdated,
            Qt::QueuedConnection);
    connect(&context.notifications(), &NotificationManager::announcementActivated, this,
            &TrayApplication::handleOpenAnnouncement, Qt::QueuedConnection);

    Updater& updater = context.updater();
    Preferences& preferences = context.preferences();
    updater.setAutomaticChecksAllowed([&preferences] { return preferences.automaticUpdateChecks(); });
    // A quiet check tells the user only of a newer version.
    connect(&updater, &Updater::updateFound, this, [this](const AppcastItem& latest) {
        UpdateCheckResult result;
        result.outcome = UpdateCheckResult::Outcome::UpdateAvailable;
        result.latest = latest;
        updateDialog()->showResult(result);
    });
    updater.start();
}

TrayApplication::~TrayApplication()
{
    qDeleteAll(m_announcementWindows);
}

void TrayApplication::start()
{
    m_context.telemetry().appLaunched();
    m_tray = std::make_unique<TrayIcon>(*this, m_context.preferences(), m_services.itemStyle,
                                        m_services.showTrayIcon);
    m_tray->setPollStatus(m_context.fetcher().pollStatus(), m_clock.now());
    if (m_tray->trayIcon())
        m_context.notifications().setFallbackBackend(
            std::make_unique<TrayNotificationBackend>(m_tray->trayIcon()));
    if (m_services.showPermissionPrompt)
        QTimer::singleShot(kPromptDelayMs, this, [this] { m_services.showPermissionPrompt(); });
    followHold();
}

void TrayApplication::handleAnnouncementsUpdated(const AnnouncementsUpdate& update)
{
    // One notification when Zelvora stops watching (also not again after a restart); none when it
    // watches again, the bell and the menu say so.
    const bool wasNotWatching = m_tray->notWatching();
    m_tray->setPollStatus(update.status, m_clock.now());
    if (m_tray->notWatching() && !wasNotWatching)
        m_context.notifications().sendNotWatchingNotification(update.status.summary(m_clock.now()));
    removeOldTexts();
    if (m_services.history) {
        QStringList ids;
        for (const Announcement& announcement : update.all)
            ids.append(announcement.id());
        m_tray->menu().setUnread(m_services.history->unread(ids));
        m_tray->setUnreadCount(m_services.history->unreadCount());
    }
    m_tray->menu().update(update.all);
    if (m_allAnnouncementsWindow && m_allAnnouncementsWindow->isVisible() && !m_showingSummary)
        m_allAnnouncementsWindow->update(update.all);
    if (!update.all.isEmpty())
        m_context.telemetry().announcementsRefreshed(int(update.all.size()));
    followHold();
    const Watchlist watchlist = m_context.preferences().watchlist();
    const bool hasNew = std::any_of(update.newAnnouncements.cbegin(), update.newAnnouncements.cend(),
                                    [&](const Announcement& a) { return watchlist.matches(a); });
    m_tray->updateBadge(hasNew);
    // A poll's pages and lists are freed by now; the program idles until the next one.
    if (m_services.history)
        m_services.history->releaseMemory();
    HeapTrim::now();
}

void TrayApplication::menuPauseForAnHour()
{
    pauseUntil(m_clock.now().addSeconds(3600));
}

void TrayApplication::menuPauseUntilTomorrowsOpen()
{
    pauseUntil(TradingCalendar::openAfterToday(m_clock.now()));
}

void TrayApplication::menuResumeNotifications()
{
    Preferences& preferences = m_context.preferences();
    // The line offers what holds now: a pause first, else the quiet hours themselves.
    if (preferences.notificationGate().isPaused(m_clock.now()))
        preferences.setPausedUntil(std::nullopt);
    else
        preferences.setQuietHours(QString());
    followHold();
    m_context.fetcher().poll(); // tells what waited
}

void TrayApplication::pauseUntil(std::optional<Instant> until)
{
    m_context.preferences().setPausedUntil(until);
    followHold();
}

void TrayApplication::followHold()
{
    if (!m_releaseTimer) {
        m_releaseTimer = new QTimer(this);
        m_releaseTimer->setSingleShot(true);
        m_releaseTimer->setTimerType(Qt::PreciseTimer); // a coarse one may end a night's hold 5% late
        connect(m_releaseTimer, &QTimer::timeout, this, [this] { m_context.fetcher().poll(); });
    }
    const Instant now = m_clock.now();
    const NotificationGate gate = m_context.preferences().notificationGate();
    const std::optional<Instant> until = gate.heldUntil(now);
    // Mutes end by themselves too; the next poll after their end tells what they held.
    if (!until) {
        m_releaseTimer->stop();
        if (m_tray)
            m_tray->setHeldLine(QString(), QString());
        return;
    }
    if (m_tray) {
        const QString time = DisplayTime::announcement(*until, now);
        if (gate.isPaused(now))
            m_tray->setHeldLine(tr("Notifications paused until %1").arg(time), tr("Resume"));
        else
            m_tray->setHeldLine(tr("Quiet hours until %1").arg(time), tr("Turn Off Quiet Hours"));
    }
    const double seconds = std::max(0.0, until->referenceSeconds() - now.referenceSeconds());
    m_releaseTimer->start(int(std::min(seconds * 1000.0 + 1000.0, double(std::numeric_limits<int>::max()))));
}

void TrayApplication::showDigest(const MorningDigest& digest)
{
    m_digestIds = digest.ids();
    if (m_tray)
        m_tray->menu().setDigestLine(digest.menuLine());
}

void TrayApplication::menuOpenDigest()
{
    handleOpenAnnouncement({{QStringLiteral("summary"), m_digestIds}});
}

void TrayApplication::handleOpenAnnouncement(const QVariantMap& data)
{
    const QVariant summary = data.value(QStringLiteral("summary"));
    const QStringList summarized = summary.toStringList();
    if (summary.isValid() && summarized == m_digestIds && m_tray) {
        m_tray->menu().setDigestLine(QString()); // opened: the entry has done its work
        m_digestIds.clear();
    }
    if (summary.isValid()) {
        const QSet<QString> ids(summarized.cbegin(), summarized.cend());
        AnnouncementList shown;
        for (const Announcement& announcement : m_context.fetcher().announcements()) {
            if (ids.contains(announcement.id()))
                shown.append(announcement);
        }
        showAllAnnouncements(shown);
        m_showingSummary = true;
        return;
    }
    const QVariant id = data.value(QStringLiteral("id"));
    const QString link = data.value(QStringLiteral("link")).toString();
    if (id.typeId() == QMetaType::QString) {
        if (const std::optional<Announcement> kept = m_context.fetcher().announcement(id.toString()))
            openAnnouncementWindow(*kept);
        else
            openLink(link);
        return;
    }
    openLink(link);
}

void TrayApplication::openLink(const QString& link)
{
    const QUrl url = UrlOpener::webAddress(link);
    if (url.isValid())
        m_opener.open(url);
}

void TrayApplication::activate(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget* TrayApplication::announcementWindow(const QString& id) const
{
    return m_announcementWindows.value(id);
}

void TrayApplication::refreshReadState()
{
    if (!m_services.history)
        return;
    const AnnouncementList& shown = m_tray->menu().announcements();
    QStringList ids;
    for (const Announcement& announcement : shown)
        ids.append(announcement.id());
    m_tray->menu().setUnread(m_services.history->unread(ids));
    m_tray->setUnreadCount(m_services.history->unreadCount());
    if (m_tray->menu().built())
        m_tray->menu().rebuild();
}

void TrayApplication::removeOldTexts()
{
    // Once a day is enough: retention is counted in days.
    const Instant now = m_clock.now();
    if (!m_services.history || (m_lastRetention && now < m_lastRetention->addSeconds(86400.0)))
        return;
    m_lastRetention = now;
    if (const int days = m_context.preferences().historyDays(); days > 0)
        m_services.history->removeTextsBefore(now.addSeconds(-86400.0 * days));
}

void TrayApplication::menuMarkAllRead()
{
    if (m_services.history && m_services.history->markRead({}, m_clock.now()))
        refreshReadState();
    if (m_allAnnouncementsWindow)
        m_allAnnouncementsWindow->model()->markRead({});
}

void TrayApplication::openAnnouncementWindow(const Announcement& announcement)
{
    // Opened is read, whether from the menu, a notification or the list.
    if (m_services.history && m_tray->menu().isUnread(announcement.id()) &&
        m_services.history->markRead({announcement.id()}, m_clock.now()))
        refreshReadState();
    QWidget* window = m_announcementWindows.value(announcement.id());
    if (!window) {
        window =
            m_services.createAnnouncementWindow ? m_services.createAnnouncementWindow(announcement) : nullptr;
        if (!window) {
            // Without the viewer the announcement still opens, in the browser.
            openLink(announcement.link());
            return;
        }
    }
    m_announcementWindows.insert(announcement.id(), window);
    activate(window);
}

void TrayApplication::menuRefreshNow()
{
    m_context.fetcher().poll();
}

void TrayApplication::menuOpenSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow =
            std::make_unique<SettingsWindow>(m_context.preferences(), m_services.settingsServices);
        // The menu's watchlist section follows the edit, not the next poll.
        connect(m_settingsWindow.get(), &SettingsWindow::watchlistChanged, this, [this] {
            if (m_tray)
                m_tray->menu().rebuild();
        });
    }
    activate(m_settingsWindow.get());
    m_context.telemetry().settingsOpened();
}

UpdateDialog* TrayApplication::shownUpdateDialog() const
{
    return m_updateDialog;
}

UpdateDialog* TrayApplication::updateDialog()
{
    if (!m_updateDialog) {
        m_updateDialog = new UpdateDialog(m_context.updater());
        m_updateDialog->setAttribute(Qt::WA_DeleteOnClose);
        m_updateDialog->setUrlOpener([&opener = m_opener](const QUrl& url) { opener.open(url); });
    }
    return m_updateDialog;
}

void TrayApplication::menuCheckForUpdates()
{
    updateDialog()->checkNow();
}

void TrayApplication::menuShowAbout()
{
    auto* about = new AboutWindow(QUrl(AppConstants::homepage));
    about->move(about->screen()->availableGeometry().center() - about->rect().center());
    activate(about);
}

void TrayApplication::menuQuit()
{
    QCoreApplication::quit();
}

void TrayApplication::menuViewAll()
{
    m_showingSummary = false;
    showAllAnnouncements(m_context.fetcher().announcements());
}

void TrayApplication::showAllAnnouncements(const AnnouncementList& announcements)
{
    if (!m_allAnnouncementsWindow) {
        m_allAnnouncementsWindow = std::make_unique<AllAnnouncementsWindow>(
            m_opener, m_context.paths().uiStateFile(),
            AllAnnouncementsWindow::Services{
                [&preferences = m_context.preferences()] { return preferences.watchlist(); },
                m_context.paths().cacheDirectory(), m_services.history, &m_clock});
        connect(m_allAnnouncementsWindow.get(), &AllAnnouncementsWindow::readChanged, this,
                &TrayApplication::refreshReadState);
    }
    m_allAnnouncementsWindow->update(announcements);
    activate(m_allAnnouncementsWindow.get());
}

void TrayApplication::menuOpenAnnouncement(const QVariant& itemData)
{
    if (itemData.metaType() != QMetaType::fromType<Announcement>())
        return;
    const Announcement announcement = itemData.value<Announcement>();
    m_context.telemetry().announcementOpened(announcement.title());
    openAnnouncementWindow(announcement);
}
