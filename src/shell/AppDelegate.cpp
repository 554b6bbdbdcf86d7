#include "shell/AppDelegate.h"

#include "model/AppConstants.h"
#include "model/Preferences.h"
#include "platform/HeapTrim.h"
#include "platform/gui/TrayNotificationBackend.h"
#include "platform/gui/UrlOpener.h"
#include "update/Updater.h"
#include "windows/AboutWindow.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/UpdateDialog.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

AppDelegate::AppDelegate(Services services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    if (Updater* updater = m_services.updater) {
        // A quiet check tells the user only of a newer version.
        connect(updater, &Updater::updateFound, this, [this, updater] {
            connect(updater, &Updater::checkFinished, updateDialog(), &UpdateDialog::showResult,
                    Qt::SingleShotConnection);
        });
        updater->start();
    }
}

AppDelegate::~AppDelegate()
{
    qDeleteAll(m_announcementWindows);
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (m_services.appLaunched)
        m_services.appLaunched();
    m_menuBarManager = std::make_unique<MenuBarManager>(*this, *m_services.preferences, m_services.itemStyle,
                                                        m_services.showTrayIcon);
    if (m_services.pollStatus)
        m_menuBarManager->setPollStatus(m_services.pollStatus(), now());
    if (m_services.showTrayIcon && m_menuBarManager->statusItem() && m_services.setFallbackNotifications)
        m_services.setFallbackNotifications(
            std::make_unique<TrayNotificationBackend>(m_menuBarManager->statusItem()));
    if (m_services.showPermissionPrompt)
        QTimer::singleShot(kPromptDelayMs, this, [this] { m_services.showPermissionPrompt(); });
    if (m_services.startPolling)
        m_services.startPolling();
}

Instant AppDelegate::now() const
{
    return m_services.clock ? m_services.clock->now() : Instant::now();
}

void AppDelegate::handleAnnouncementsUpdated(const AnnouncementsUpdate& update)
{
    // One notification when Zelvora stops watching (also not again after a restart); none when it
    // watches again, the bell and the menu say so.
    const bool wasNotWatching = m_menuBarManager->notWatching();
    m_menuBarManager->setPollStatus(update.status, now());
    if (m_menuBarManager->notWatching() && !wasNotWatching && m_services.notifyNotWatching)
        m_services.notifyNotWatching(update.status.summary(now()));
    m_menuBarManager->update(update.all);
    if (m_allAnnouncementsWindow && m_allAnnouncementsWindow->isVisible())
        m_allAnnouncementsWindow->update(update.all);
    if (!update.all.isEmpty() && m_services.announcementsRefreshed)
        m_services.announcementsRefreshed(int(update.all.size()));
    if (m_services.sendNotification) {
        for (const Announcement& announcement : update.newAnnouncements)
            m_services.sendNotification(announcement);
    }
    const QSet<QString> watchlist = m_services.preferences->watchlistSymbols();
    const bool hasNew = !watchlist.isEmpty() &&
                        std::any_of(update.newAnnouncements.cbegin(), update.newAnnouncements.cend(),
                                    [&](const Announcement& a) { return a.matchesWatchlist(watchlist); });
    m_menuBarManager->updateBadge(hasNew);
    // A poll's pages and lists are freed by now; the program idles until the next one.
    HeapTrim::now();
}

void AppDelegate::handleOpenAnnouncement(const QVariantMap& userInfo)
{
    const QVariant id = userInfo.value(QStringLiteral("id"));
    const QString link = userInfo.value(QStringLiteral("link")).toString();
    if (id.typeId() == QMetaType::QString) {
        const std::optional<Announcement> kept =
            m_services.findAnnouncement ? m_services.findAnnouncement(id.toString()) : std::nullopt;
        if (kept)
            openAnnouncementWindow(*kept);
        else
            openLink(link);
        return;
    }
    openLink(link);
}

void AppDelegate::openLink(const QString& link)
{
    const QUrl url = UrlOpener::webAddress(link);
    if (url.isValid() && m_services.opener)
        m_services.opener->open(url);
}

void AppDelegate::activate(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget* AppDelegate::announcementWindow(const QString& id) const
{
    return m_announcementWindows.value(id);
}

void AppDelegate::openAnnouncementWindow(const Announcement& announcement)
{
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

void AppDelegate::menuRefreshNow()
{
    if (m_services.pollNow)
        m_services.pollNow();
}

void AppDelegate::menuOpenSettings()
{
    if (!m_settingsWindow)
        m_settingsWindow =
            std::make_unique<SettingsWindow>(*m_services.preferences, m_services.settingsHooks);
    activate(m_settingsWindow.get());
    if (m_services.settingsOpened)
        m_services.settingsOpened();
}

UpdateDialog* AppDelegate::updateDialog()
{
    if (!m_updateDialog) {
        m_updateDialog = new UpdateDialog(*m_services.updater);
        m_updateDialog->setAttribute(Qt::WA_DeleteOnClose);
        if (m_services.opener)
            m_updateDialog->setUrlOpener(
                [opener = m_services.opener](const QUrl& url) { opener->open(url); });
    }
    activate(m_updateDialog);
    return m_updateDialog;
}

void AppDelegate::menuCheckForUpdates()
{
    if (m_services.updater)
        updateDialog()->checkNow();
}

void AppDelegate::menuShowAbout()
{
    auto* about = new AboutWindow(QUrl(AppConstants::homepage));
    about->move(about->screen()->availableGeometry().center() - about->rect().center());
    activate(about);
}

void AppDelegate::menuQuit()
{
    QCoreApplication::quit();
}

void AppDelegate::menuViewAll()
{
    if (!m_allAnnouncementsWindow)
        m_allAnnouncementsWindow =
            std::make_unique<AllAnnouncementsWindow>(*m_services.opener, m_services.uiStateFile);
    const AnnouncementList kept =
        m_services.keptAnnouncements ? m_services.keptAnnouncements() : AnnouncementList();
    m_allAnnouncementsWindow->update(kept);
    activate(m_allAnnouncementsWindow.get());
}

void AppDelegate::menuOpenAnnouncement(const QVariant& representedObject)
{
    if (!representedObject.canConvert<Announcement>() ||
        representedObject.metaType() != QMetaType::fromType<Announcement>())
        return;
    const Announcement announcement = representedObject.value<Announcement>();
    if (m_services.announcementOpened)
        m_services.announcementOpened(announcement.title());
    openAnnouncementWindow(announcement);
}
