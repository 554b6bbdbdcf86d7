#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"
#include "model/PollStatus.h"
#include "shell/TrayMenu.h"

#include <QIcon>
#include <QObject>
#include <array>

class QSystemTrayIcon;

// The tray icon (a bell), its hover text and its menu: the bell carries a mark for a new watchlist
// match and is struck through while Zelvora is not watching.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    static QString trayTitle(); // the tooltip's first line

    // Without `showTrayIcon` (tests, hosts without a tray) there is only the menu.
    TrayIcon(MenuCommands& commands, Preferences& preferences, TrayMenu::ItemStyle style, bool showTrayIcon,
             QObject* parent = nullptr);
    ~TrayIcon() override;

    // Marks a new watchlist match; only opening the menu clears the mark.
    void updateBadge(bool hasNew);
    // When Zelvora last heard from the exchange (the tooltip), and while it is not watching, the
    // struck-through bell and the menu line with the problem and "Retry Now".
    void setPollStatus(const PollStatus& status, Instant now);
    bool notWatching() const { return m_notWatching; }
    // The menu's first line and the tooltip while notifications are held; empty when they are not.
    void setHeldLine(const QString& status, const QString& command);
    QString toolTip() const;
    // How many announcements are unread (the tooltip's last line; none when 0).
    void setUnreadCount(qint64 count);

    TrayMenu& menu() { return m_menu; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon; }
    bool badgeShown() const { return m_badge; }

private:
    void setBadge(bool shown);
    void refreshIcon();

    TrayMenu m_menu;
    QSystemTrayIcon* m_trayIcon = nullptr;
    bool m_badge = false;
    bool m_notWatching = false;
    QString m_statusLine;
    QString m_heldLine;
    qint64 m_unreadCount = 0;
    std::array<QIcon, 4> m_icons; // by look: badge (1) and struck through (2), each drawn once
    int m_shownLook = -1;
};
