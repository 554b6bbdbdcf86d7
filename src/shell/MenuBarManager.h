#pragma once

#include "model/Announcement.h"
#include "model/PollStatus.h"
#include "shell/AnnouncementMenuItem.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class MenuCommands;
class Preferences;
class QAction;
class QMenu;
class QStyle;
class QSystemTrayIcon;

// The tray icon (a bell) and its menu: header, commands, the watchlist section and the latest
// announcements, rebuilt from scratch on every update.
class MenuBarManager : public QObject
{
    Q_OBJECT
public:
    static QString trayTitle(); // the tooltip's first line
    static constexpr int kWatchlistLimit = 5;
    static constexpr int kLatestLimit = 15;
    static constexpr int kFirstLatestTag = 100;
    static constexpr int kMinimumWidth = 420;

    enum class ItemStyle {
        Drawn, // widget items with the styled runs
        Plain  // text items, for tray hosts that export menus over D-Bus and draw no widgets
    };

    using EmojiFunction = std::function<QString(const QString& title)>;

    MenuBarManager(MenuCommands& commands, Preferences& preferences, ItemStyle style, bool showTrayIcon,
                   QObject* parent = nullptr);
    ~MenuBarManager() override;

    void update(const AnnouncementList& announcements); // update(with:)
    // Marks a new watchlist match; only opening the menu clears the mark.
    void updateBadge(bool hasNew);
    // When Zelvora last heard from the exchange (the tooltip), and while it is not watching, the
    // struck-through bell and the menu line with the problem and "Retry Now".
    void setPollStatus(const PollStatus& status, Instant now);
    bool notWatching() const { return !m_problem.isEmpty(); }
    QString toolTip() const;

    QMenu* menu() const { return m_menu.get(); }
    QSystemTrayIcon* statusItem() const { return m_statusItem; }
    bool badgeShown() const { return m_badge; }
    const AnnouncementList& announcements() const { return m_announcements; }

    // The tag an item carries (0-4 watchlist, 100-114 latest); -1 for other items.
    static int tagOf(const QAction* action);
    // Whether the running tray host shows menus itself over D-Bus (StatusNotifierItem).
    static ItemStyle detectItemStyle();
    // Full items, or one-line items when the full menu would not fit on the screen.
    AnnouncementMenuItem::Form itemForm() const { return m_itemForm; }

private:
    static QString marketName();
    void buildMenu();
    void addHeader();
    void addProblem();
    void addSectionHeader(const QString& title, const QColor& color);
    void fillMenu();
    QAction* addAnnouncementItem(const Announcement& announcement, int tag);
    int availableHeight() const;
    void setBadge(bool shown);
    void refreshIcon();

    MenuCommands& m_commands;
    Preferences& m_preferences;
    ItemStyle m_style;
    std::unique_ptr<QStyle> m_menuStyle;
    std::unique_ptr<QMenu> m_menu;
    AnnouncementMenuItem::Form m_itemForm = AnnouncementMenuItem::Form::Full;
    QSystemTrayIcon* m_statusItem = nullptr;
    AnnouncementList m_announcements;
    bool m_badge = false;
    bool m_menuBuilt = false;
    QString m_statusLine;
    QString m_problem; // the menu's line while not watching, else empty
};
