#pragma once

#include "fetch/AnnouncementsUpdate.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/MorningDigest.h"
#include "shell/MenuCommands.h"
#include "shell/TrayController.h"
#include "windows/SettingsWindow.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class AllAnnouncementsWindow;
class HistoryStore;
class NotificationBackend;
class Preferences;
class UpdateDialog;
class Updater;
class UrlOpener;

// The tray program's shell: the tray, the windows its menu opens and the menu's commands. It starts
// polling and reacts to finished polls and notification clicks (the tray program connects them to
// handleAnnouncementsUpdated and handleOpenAnnouncement).
class TrayShell : public QObject, public MenuCommands
{
    Q_OBJECT
public:
    // The services the shell uses, given by the tray program; tests give recording ones.
    struct Services
    {
        std::function<void()> startPolling;
        std::function<void()> pollNow;
        std::function<std::optional<Announcement>(const QString& id)> findAnnouncement;
        std::function<AnnouncementList()> keptAnnouncements;
        // What a poll has to tell and since when (grouped past the user's threshold).
        // `released`: of the list, those held until now (told in one summary).
        std::function<void(const AnnouncementList&, std::optional<Instant> since,
                           const AnnouncementList& released)>
            tellAnnouncements;
        std::function<void(int count)> announcementsRefreshed;        // telemetry
        std::function<void()> appLaunched;                            // telemetry
        std::function<void()> settingsOpened;                         // telemetry
        std::function<void(const QString& title)> announcementOpened; // telemetry
        std::function<void()> showPermissionPrompt;                   // the start-up prompt, 2 s after launch
        std::function<PollStatus()> pollStatus;                       // as stored when the program starts
        std::function<void(const QString& problem)> notifyNotWatching;
        // Takes the tray icon's balloon as the fallback for desktop notifications.
        std::function<void(std::unique_ptr<NotificationBackend>)> setFallbackNotifications;
        // An announcement window (or nullptr when the window module cannot be loaded).
        std::function<QWidget*(const Announcement&)> createAnnouncementWindow;
        SettingsWindow::Hooks settingsHooks;
        UrlOpener* opener = nullptr;
        Preferences* preferences = nullptr;
        QString uiStateFile;        // where the windows were
        QString issuerDirectory;    // companies' names for the search
        Updater* updater = nullptr; // quiet checks a minute after start, then daily; none: no checks
        // Read state, the list's history scope and retention; none: every announcement reads as read.
        HistoryStore* history = nullptr;
        std::function<int()> historyDays; // the texts' retention (0 keeps them all)
        bool showTrayIcon = true;
        TrayMenu::ItemStyle itemStyle = TrayMenu::ItemStyle::Drawn;
    };

    static constexpr int kPromptDelayMs = 2000;

    TrayShell(Services services, const Clock& clock, QObject* parent = nullptr);
    ~TrayShell() override;

    // Shows the tray icon, schedules the permission prompt and starts polling.
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

    TrayController* tray() const { return m_tray.get(); }
    AllAnnouncementsWindow* allAnnouncementsWindow() const { return m_allAnnouncementsWindow.get(); }
    SettingsWindow* settingsWindow() const { return m_settingsWindow.get(); }
    UpdateDialog* shownUpdateDialog() const;
    QWidget* announcementWindow(const QString& id) const;

    void handleAnnouncementsUpdated(const AnnouncementsUpdate& update);
    void handleOpenAnnouncement(const QVariantMap& userInfo);
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

    Services m_services;
    const Clock& m_clock;
    std::unique_ptr<TrayController> m_tray;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<AllAnnouncementsWindow> m_allAnnouncementsWindow;
    QHash<QString, QWidget*> m_announcementWindows;
    bool m_showingSummary = false; // the all-announcements window shows a summary's records only
    QPointer<UpdateDialog> m_updateDialog;
    QTimer* m_releaseTimer = nullptr;
    std::optional<Instant> m_lastRetention;
    QStringList m_digestIds; // of the digest the menu offers
};
