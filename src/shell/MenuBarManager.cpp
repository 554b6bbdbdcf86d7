#include "shell/MenuBarManager.h"

#include "model/AnnouncementEmoji.h"
#include "model/Preferences.h"
#include "shell/AnnouncementMenuItem.h"
#include "shell/AnnouncementMenuLine.h"
#include "shell/MenuCommands.h"
#include "shell/ScrollingMenuStyle.h"
#include "shell/TrayIconRenderer.h"
#include "windows/WindowStyle.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTimer>
#include <QWidgetAction>
#include <limits>

namespace {
const char* const kTagProperty = "zelvoraTag";

QKeySequence commandKey(Qt::Key key)
{
    // Qt maps Ctrl to the Command key on macOS.
    return QKeySequence(Qt::CTRL | key);
}
} // namespace

MenuBarManager::MenuBarManager(MenuCommands& commands, Preferences& preferences, ItemStyle style,
                               bool showTrayIcon, QObject* parent)
    : QObject(parent), m_commands(commands), m_preferences(preferences), m_style(style),
      m_menu(std::make_unique<QMenu>())
{
    m_menu->setMinimumWidth(kMinimumWidth);
    if (m_style == ItemStyle::Drawn) {
        m_menuStyle = std::make_unique<ScrollingMenuStyle>();
        m_menu->setStyle(m_menuStyle.get());
    }
    m_menu->setToolTipsVisible(true);
    if (showTrayIcon) {
        m_statusItem = new QSystemTrayIcon(this);
        m_statusItem->setContextMenu(m_menu.get());
        // A left click opens the same menu as a right click.
        connect(m_statusItem, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        m_menu->popup(QCursor::pos());
                });
        refreshIcon();
        m_statusItem->show();
    }
    // Opening the menu is when the user has seen the new watchlist match.
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { setBadge(false); });
    if (!m_statusItem) {
        buildMenu();
        return;
    }
    // Building the menu loads the font database and the icon theme: let the icon reach the tray
    // first. A poll that ends before this turn has built the menu already.
    QTimer::singleShot(0, this, [this] {
        if (!m_menuBuilt)
            buildMenu();
    });
}

MenuBarManager::~MenuBarManager() = default;

MenuBarManager::ItemStyle MenuBarManager::detectItemStyle()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() &&
        bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value())
        return ItemStyle::Plain;
    return ItemStyle::Drawn;
}

QString MenuBarManager::trayTitle()
{
    return tr("Zelvora \u2014 Saudi Exchange announcements");
}

QString MenuBarManager::marketName()
{
    return tr("Tadawul Market");
}

int MenuBarManager::tagOf(const QAction* action)
{
    const QVariant tag = action ? action->property(kTagProperty) : QVariant();
    return tag.isValid() ? tag.toInt() : -1;
}

void MenuBarManager::update(const AnnouncementList& announcements)
{
    m_announcements = announcements;
    buildMenu();
}

void MenuBarManager::updateBadge(bool hasNew)
{
    // A match stays marked until the user opens the menu, however many polls find nothing new.
    if (hasNew)
        setBadge(true);
}

void MenuBarManager::setBadge(bool shown)
{
    if (m_badge == shown)
        return;
    m_badge = shown;
    refreshIcon();
}

void MenuBarManager::refreshIcon()
{
    if (!m_statusItem)
        return;
    m_statusItem->setIcon(TrayIconRenderer::bell(m_badge, notWatching()));
    m_statusItem->setToolTip(toolTip());
}

QString MenuBarManager::toolTip() const
{
    return m_statusLine.isEmpty() ? trayTitle() : trayTitle() + QLatin1Char('\n') + m_statusLine;
}

void MenuBarManager::setPollStatus(const PollStatus& status, Instant now)
{
    m_statusLine = status.summary(now);
    const QString problem = status.state() == PollStatus::State::NotWatching
                                ? tr("Not watching: %1").arg(m_statusLine)
                                : QString();
    const bool menuChanged = problem != m_problem;
    m_problem = problem;
    refreshIcon();
    if (menuChanged && m_menuBuilt) // else the first build, still to come, shows it
        buildMenu();
}

void MenuBarManager::addProblem()
{
    auto* line = new QWidgetAction(m_menu.get());
    const QString text = QStringLiteral("\u26A0  ") + m_problem;
    if (m_style == ItemStyle::Drawn) {
        auto* label = new QLabel(text);
        label->setWordWrap(true);
        label->setFont(WindowStyle::systemFont(12, QFont::DemiBold));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0xB0, 0x1E, 0x1E));
        label->setPalette(palette);
        label->setContentsMargins(10, 4, 10, 4);
        // A menu sizes its items by their size hint, which guesses too many lines for wrapped text.
        label->setFixedWidth(kMinimumWidth);
        label->setFixedHeight(label->heightForWidth(kMinimumWidth));
        line->setDefaultWidget(label);
        line->setText(text);
    } else {
        line->setText(AnnouncementMenuLine::escapedForExport(text));
    }
    line->setEnabled(false);
    m_menu->addAction(line);
    QAction* retry = m_menu->addAction(QIcon::fromTheme(QStringLiteral("view-refresh")), tr("Retry Now"));
    connect(retry, &QAction::triggered, this, [this] { m_commands.menuRefreshNow(); });
}

void MenuBarManager::addHeader()
{
    auto* action = new QWidgetAction(m_menu.get());
    if (m_style == ItemStyle::Drawn) {
        auto* label = new QLabel;
        label->setTextFormat(Qt::RichText);
        const QPalette palette = label->palette();
        label->setText(
            QStringLiteral("<span style=\"font-size:14px; font-weight:bold; color:%1\">Zelvora</span>"
                           "<span style=\"font-size:12px; color:%2\">&nbsp;&nbsp;%3</span>")
                .arg(WindowStyle::kSaudiGreen.name(), WindowStyle::secondaryLabelColor(palette).name(),
                     marketName().toHtmlEscaped()));
        // A leading mark makes the line right to left in such an interface; "Zelvora", its first
        // letters, would otherwise make it read left to right.
        if (QGuiApplication::isRightToLeft())
            label->setText(QChar(0x200F) + label->text());
        label->setContentsMargins(10, 4, 10, 4);
        action->setDefaultWidget(label);
    }
    action->setText(QStringLiteral("Zelvora  ") + marketName());
    action->setEnabled(false);
    m_menu->addAction(action);
}

void MenuBarManager::addSectionHeader(const QString& title, const QColor& color)
{
    auto* action = new QWidgetAction(m_menu.get());
    if (m_style == ItemStyle::Drawn) {
        auto* label = new QLabel(title);
        label->setFont(WindowStyle::systemFont(10, QFont::DemiBold));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
        label->setContentsMargins(10, 4, 10, 2);
        action->setDefaultWidget(label);
    }
    action->setText(title);
    action->setEnabled(false);
    m_menu->addAction(action);
}

QAction* MenuBarManager::addAnnouncementItem(const Announcement& announcement, int tag)
{
    const QString emoji = AnnouncementEmoji::forAnnouncement(announcement);
    QAction* action = nullptr;
    QString text;
    if (m_style == ItemStyle::Drawn) {
        auto* widgetAction = new QWidgetAction(m_menu.get());
        auto* item = new AnnouncementMenuItem(announcement, emoji, m_itemForm);
        connect(item, &AnnouncementMenuItem::clicked, widgetAction, [this, widgetAction] {
            widgetAction->trigger();
            m_menu->close();
        });
        connect(widgetAction, &QAction::hovered, item, [item] { item->setHighlighted(true); });
        widgetAction->setDefaultWidget(item);
        action = widgetAction;
        text =
            QStringLiteral("  ") + emoji + QLatin1Char(' ') +
            AnnouncementMenuItem::shortened(announcement.displayTitle(), AnnouncementMenuItem::kTitleLength);
    } else {
        // The host draws only this text: one line that tells the item apart.
        action = new QAction(m_menu.get());
        text = AnnouncementMenuLine::escapedForExport(
            AnnouncementMenuLine::text(announcement, emoji, announcement.displayDate()));
    }
    action->setText(text);
    action->setToolTip(Qt::convertFromPlainText(announcement.displayTitle())); // never read as markup
    action->setData(QVariant::fromValue(announcement));
    action->setProperty(kTagProperty, tag);
    connect(action, &QAction::triggered, this,
            [this, action] { m_commands.menuOpenAnnouncement(action->data()); });
    m_menu->addAction(action);
    return action;
}

int MenuBarManager::availableHeight() const
{
    QScreen* screen = m_statusItem ? QGuiApplication::screenAt(m_statusItem->geometry().center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() : std::numeric_limits<int>::max();
}

void MenuBarManager::buildMenu()
{
    // A menu taller than the screen would scroll; one-line items let it fit on a 1280x800 laptop.
    m_itemForm = AnnouncementMenuItem::Form::Full;
    fillMenu();
    if (m_style == ItemStyle::Drawn && !m_announcements.isEmpty() &&
        m_menu->sizeHint().height() > availableHeight()) {
        m_itemForm = AnnouncementMenuItem::Form::Compact;
        fillMenu();
    }
}

void MenuBarManager::fillMenu()
{
    // clear() deletes the actions the menu owns, and with them their widgets; the menu is refilled
    // in the same turn.
    m_menu->clear();
    m_menuBuilt = true;

    const QPalette palette = m_menu->palette();
    addHeader();
    if (!m_problem.isEmpty())
        addProblem();
    m_menu->addSeparator();

    const auto command = [this](const QString& title, const QString& icon, QKeySequence key, auto handler) {
        QAction* action = m_menu->addAction(QIcon::fromTheme(icon), title);
        if (!key.isEmpty())
            action->setShortcut(key);
        action->setShortcutVisibleInContextMenu(true);
        connect(action, &QAction::triggered, this, [this, handler] { (m_commands.*handler)(); });
        return action;
    };
    command(tr("Refresh Now"), QStringLiteral("view-refresh"), commandKey(Qt::Key_R),
            &MenuCommands::menuRefreshNow);
    QAction* settings = command(tr("Settings\u2026"), QStringLiteral("configure"), commandKey(Qt::Key_Comma),
                                &MenuCommands::menuOpenSettings);
    if (settings->icon().isNull())
        settings->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system")));
    command(tr("Check for Updates..."), QStringLiteral("system-software-update"), QKeySequence(),
            &MenuCommands::menuCheckForUpdates);
    command(tr("About Zelvora"), QStringLiteral("help-about"), QKeySequence(), &MenuCommands::menuShowAbout);
    m_menu->addSeparator();
    command(tr("Quit"), QString(), commandKey(Qt::Key_Q), &MenuCommands::menuQuit);
    command(tr("View All (30 days)..."), QStringLiteral("view-list-details"), QKeySequence(),
            &MenuCommands::menuViewAll);
    m_menu->addSeparator();

    const Watchlist watchlist = m_preferences.watchlist();
    if (!watchlist.isEmpty()) {
        AnnouncementList matches;
        for (const Announcement& announcement : std::as_const(m_announcements)) {
            if (watchlist.matches(announcement))
                matches.append(announcement);
        }
        if (!matches.isEmpty()) {
            addSectionHeader(QStringLiteral("\u2B50  ") + tr("Watchlist"), WindowStyle::kSaudiGreen);
            for (int i = 0; i < std::min<int>(int(matches.size()), kWatchlistLimit); ++i)
                addAnnouncementItem(matches.at(i), i);
            m_menu->addSeparator();
        }
    }

    addSectionHeader(QStringLiteral("\U0001F4CB  ") + tr("Latest Announcements"),
                     WindowStyle::tertiaryLabelColor(palette));
    if (m_announcements.isEmpty()) {
        auto* empty = new QWidgetAction(m_menu.get());
        const QString text = QStringLiteral("  ") + tr("No announcements yet \u2014 refreshing\u2026");
        if (m_style == ItemStyle::Drawn) {
            auto* label = new QLabel(text);
            QFont font = WindowStyle::systemFont(12);
            font.setItalic(true);
            label->setFont(font);
            QPalette labelPalette = label->palette();
            labelPalette.setColor(QPalette::WindowText, WindowStyle::tertiaryLabelColor(palette));
            label->setPalette(labelPalette);
            label->setContentsMargins(6, 2, 10, 4);
            empty->setDefaultWidget(label);
        }
        empty->setText(text);
        empty->setEnabled(false);
        m_menu->addAction(empty);
        return;
    }
    for (int i = 0; i < std::min<int>(int(m_announcements.size()), kLatestLimit); ++i)
        addAnnouncementItem(m_announcements.at(i), kFirstLatestTag + i);
}
