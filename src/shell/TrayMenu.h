#pragma once

#include "model/Announcement.h"
#include "shell/AnnouncementMenuItem.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

class MenuCommands;
class Preferences;
class QAction;
class QMenu;
class QStyle;

// The tray icon's menu: header, commands, the watchlist section and the latest announcements.
// It is rebuilt from scratch when what it shows changes, never while it is open (the items would
// vanish under the pointer, and a tray host drawing the exported menu would click stale ids): a
// change that comes while it is open is shown once it closes.
class TrayMenu : public QObject
{
    Q_OBJECT
public:
    enum class ItemStyle {
        Widgets, // widget items with the styled runs
        Text     // text items, for tray hosts that export menus over D-Bus and draw no widgets
    };

    static constexpr int kWatchlistLimit = 5;
    static constexpr int kLatestLimit = 15;
    static constexpr int kFirstLatestRow = 100;
    static constexpr int kMinimumWidth = 420;
    static constexpr qint64 kAssumeClosedAfterMs = 60 * 60 * 1000;

    TrayMenu(MenuCommands& commands, Preferences& preferences, ItemStyle style, QObject* parent = nullptr);
    ~TrayMenu() override;

    void update(const AnnouncementList& announcements);
    // The unread ones among the announcements (bold), applied at the next update or rebuild; with
    // any unread the menu offers "Mark All as Read".
    void setUnread(QSet<QString> ids) { m_unread = std::move(ids); }
    bool isUnread(const QString& id) const { return m_unread.contains(id); }
    // Builds the menu again from the kept announcements, for a changed watchlist; nothing happens
    // when the menu would show the same.
    void rebuild();
    // Drawn items are then built when the menu is about to show, not at each change: until the user
    // opens it, no item widget, font or text layout is loaded (megabytes for a program that spends
    // its life idle in the tray).
    void setBuildWhenShown(bool deferred) { m_buildWhenShown = deferred && m_style == ItemStyle::Widgets; }
    bool built() const { return m_built; }
    bool isOpen() const { return m_open; }
    // While Zelvora is not watching, the menu starts with the reason and "Retry Now"; an empty
    // reason removes them.
    void setNotWatchingReason(const QString& reason);
    // While notifications are held (paused, quiet hours), the menu's first line says so and its
    // click ends the hold; an empty text removes it.
    void setHeldLine(const QString& line);
    // The morning digest's entry near the top, until it is opened; an empty text removes it.
    void setDigestLine(const QString& line);

    QMenu* menu() const { return m_menu.get(); }
    const AnnouncementList& announcements() const { return m_announcements; }
    // Full items, or one-line items when the full menu would not fit on the screen.
    AnnouncementMenuItem::Form itemForm() const { return m_itemForm; }
    // The height the menu may take; by default that of the screen under the mouse pointer, where
    // a tray click opens the menu.
    void setAvailableHeight(std::function<int()> availableHeight);

    // The tag an item carries (0-4 watchlist, 100-114 latest); -1 for other items.
    static int rowOf(const QAction* action);
    // Whether the running tray host shows menus itself over D-Bus (StatusNotifierItem).
    static ItemStyle detectItemStyle();

protected:
    // The commands' shortcuts while the menu is open, as the menu shows them: Qt fires no
    // shortcuts for the actions of a stand-alone pop-up.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the menu shows, to tell whether a rebuild would change anything.
    struct Shown
    {
        AnnouncementList matches; // the watchlist section
        AnnouncementList latest;
        QStringList dates; // of both, in that order: they change with the day
        QString problem;
        QString held;
        QString digest;
        QSet<QString> unread;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    Shown shown() const;
    void rebuildIfChanged();
    void rebuildNow();
    void setLine(QString& field, const QString& line); // one of the lines above the commands
    void closed();
    void highlightOnly(const QAction* active);
    static QString marketName();
    static int screenHeightUnderPointer();
    void fitToScreen();
    void addHeader();
    void addProblem();
    void addSectionHeader(const QString& emoji, const QString& title, const QColor& color);
    void fill(AnnouncementMenuItem::Form form);
    void fill(AnnouncementMenuItem::Form form, const Shown& shown);
    QAction* addAnnouncementItem(const Announcement& announcement, int tag, const QString& date);

    MenuCommands& m_commands;
    Preferences& m_preferences;
    ItemStyle m_style;
    std::unique_ptr<QStyle> m_menuStyle;
    std::unique_ptr<QMenu> m_menu;
    std::function<int()> m_availableHeight;
    AnnouncementMenuItem::Form m_itemForm = AnnouncementMenuItem::Form::Full;
    int m_fullHeight = 0; // of the menu with full items, as last built
    AnnouncementList m_announcements;
    bool m_built = false;
    bool m_open = false;
    QElapsedTimer m_openFor;
    bool m_stale = false; // a change came while the menu was open
    bool m_buildWhenShown = false;
    bool m_due = false;           // a change came since the menu was last built, which waits for its showing
    std::optional<Shown> m_shown; // as last built
    QString m_held;               // the menu's first line while notifications are held, else empty
    QString m_digest;             // the morning digest's entry until opened, else empty
    QString m_problem;            // the menu's line while not watching, else empty
    QSet<QString> m_unread;
};
