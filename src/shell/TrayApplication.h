#pragma once

#include "fetch/AnnouncementsUpdate.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/MorningDigest.h"
#include "shell/MenuCommands.h"
#include "shell/TrayIcon.h"
#include "windows/SettingsWindow.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class AllAnnouncementsWindow;
class AppContext;
class HistoryStore;
class UpdateDialog;
class UrlOpener;

// The tray program's shell: the tray, the windows its menu opens and the menu's commands, over the
// run's context (its settings, fetcher, notifications, statistics and updater). It follows finished
// polls and notification clicks; the program starts the polling.
class TrayApplication : public QObject, public MenuCommands
{
    Q_OBJECT
public:
    // What the desktop gives beside the context; tests give recording ones.
    struct Services
    {
        // Read state, the list's history scope and retention; none: every announcement reads as read.
        HistoryStore* history = nullptr;
        // An announcement window (or nullptr when none can be made: the browser opens instead).
        std::function<QWidget*(const Announcement&)> createAnnouncementWindow;
        std::function<void()> showPermissionPrompt; // the start-up prompt, 2 s after launch
        // Relaunch, quit and alert, as the settings window asks for them.
        SettingsWindow::Services settingsServices;
        bool showTrayIcon = true;
        TrayMenu::ItemStyle itemStyle = TrayMenu::ItemStyle::Widgets;
    };

    static constexpr int kPromptDelayMs = 2000;

    // `opener` opens links in the browser.
    TrayApplication(AppContext& context, UrlOpener& opener, Services services, QObject* parent = nullptr);
    ~TrayApplication() override;

    // Shows the tray icon and schedules the permission prompt.
    void start();
    void openAnnouncementWindow(const Announcement& announcement);

    void menuRefreshNow() override;
    void menuOpenSettings() override;
    void menuCheckForUpdates() override;
    void menuShowAbout() override;
    void menuQuit() override;
    void menuViewAll() override;
    void menuOpenAnnouncement(const QVariant& itemData) override;
    void menuPauseForAnHour() override;
    void menuPauseUntilTomorrowsOpen() override;
    void menuResumeNotifications() override;
    void menuMarkAllRead() override;
    void menuOpenDigest() override;

    TrayIcon* tray() const { return m_tray.get(); }
    AllAnnouncementsWindow* allAnnouncementsWindow() const { return m_allAnnouncementsWindow.get(); }
    SettingsWindow* settingsWindow() const { return m_settingsWindow.get(); }
    UpdateDialog* shownUpdateDialog() const;
    QWidget* announcementWindow(const QString& id) const;

    void handleAnnouncementsUpdated(const AnnouncementsUpdate& update);
    void handleOpenAnnouncement(const QVariantMap& data);
    // The morning digest: an entry at the top of the menu until it is opened (here or by its
    // notification).
    void showDigest(const MorningDigest& digest);

private:
    void openLink(const QString& link);
    // Bold items, "Mark All as Read" and the tooltip's count from the history, and the menu again.
    void refreshReadState();
    void removeOldTexts();
    void showAllAnnouncements(const AnnouncementList& announcements);
    UpdateDialog* updateDialog();
    static void activate(QWidget* window);
    // While quiet hours or a pause hold notifications, the menu and tooltip say so, and a poll when
    // they end tells what waited.
    void followHold();
    void pauseUntil(std::optional<Instant> until);

    AppContext& m_context;
    UrlOpener& m_opener;
    Services m_services;
    const Clock& m_clock;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<AllAnnouncementsWindow> m_allAnnouncementsWindow;
    QHash<QString, QWidget*> m_announcementWindows;
    bool m_showingSummary = false; // the all-announcements window shows a summary's records only
    QPointer<UpdateDialog> m_updateDialog;
    QTimer* m_releaseTimer = nullptr;
    std::optional<Instant> m_lastRetention;
    QStringList m_digestIds; // of the digest the menu offers
};
