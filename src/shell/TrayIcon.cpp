#include "shell/TrayIcon.h"

#include "shell/TrayIconRenderer.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <climits>

TrayIcon::TrayIcon(MenuCommands& commands, Preferences& preferences, TrayMenu::ItemStyle style,
                   bool showTrayIcon, QObject* parent)
    : QObject(parent), m_menu(commands, preferences, style)
{
    QMenu* menu = m_menu.menu();
    if (showTrayIcon) {
        m_menu.setBuildWhenShown(true);
        m_trayIcon = new QSystemTrayIcon(this);
        m_trayIcon->setContextMenu(menu);
        // A left click opens the same menu as a right click.
        connect(m_trayIcon, &QSystemTrayIcon::activated, this,
                [menu](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        menu->popup(QCursor::pos());
                });
        refreshIcon();
        m_trayIcon->show();
    }
    // Opening the menu is when the user has seen the new watchlist match.
    connect(menu, &QMenu::aboutToShow, this, [this] { setBadge(false); });
    if (!m_trayIcon) {
        m_menu.rebuild();
        return;
    }
    // Building the menu loads the font database and the icon theme: let the icon reach the tray
    // first. A poll that ends before this turn has built the menu already.
    QTimer::singleShot(0, this, [this] {
        if (!m_menu.built())
            m_menu.rebuild();
    });
}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::trayTitle()
{
    return tr("Zelvora \u2014 Saudi Exchange announcements");
}

void TrayIcon::updateBadge(bool hasNew)
{
    // A match stays marked until the user opens the menu, however many polls find nothing new.
    if (hasNew)
        setBadge(true);
}

void TrayIcon::setBadge(bool shown)
{
    if (m_badge == shown)
        return;
    m_badge = shown;
    refreshIcon();
}

void TrayIcon::refreshIcon()
{
    if (!m_trayIcon)
        return;
    // The same QIcon for the same look: the tray draws an icon through QPixmapCache, under keys of that
    // icon's own pixmaps, so a new icon at every poll left a few KB behind each time (up to the cache's
    // 10 MB).
    const int look = (m_badge ? 1 : 0) | (m_notWatching ? 2 : 0);
    if (look != m_shownLook) {
        QIcon& icon = m_icons.at(look);
        if (icon.isNull())
            icon = TrayIconRenderer::bell(m_badge, m_notWatching);
        m_trayIcon->setIcon(icon);
        m_shownLook = look;
    }
    m_trayIcon->setToolTip(toolTip());
}

QString TrayIcon::toolTip() const
{
    QString text = m_statusLine.isEmpty() ? trayTitle() : trayTitle() + QLatin1Char('\n') + m_statusLine;
    if (m_unreadCount > 0)
        text += QLatin1Char('\n') + tr("%n unread", nullptr, int(std::min<qint64>(m_unreadCount, INT_MAX)));
    if (!m_heldLine.isEmpty())
        text += QLatin1Char('\n') + m_heldLine;
    return text;
}

void TrayIcon::setUnreadCount(qint64 count)
{
    if (m_unreadCount == count)
        return;
    m_unreadCount = count;
    refreshIcon();
}

void TrayIcon::setHeldLine(const QString& status, const QString& command)
{
    m_heldLine = status;
    refreshIcon();
    m_menu.setHeldLine(status.isEmpty() ? QString() : status + QStringLiteral(" \u2014 ") + command);
}

void TrayIcon::setPollStatus(const PollStatus& status, Instant now)
{
    const QString summary = status.summary(now);
    const QString refusals = status.outputProblem();
    m_statusLine = refusals.isEmpty() ? summary : summary + QLatin1Char('\n') + refusals;
    m_notWatching = status.state() == PollStatus::State::NotWatching;
    refreshIcon();
    m_menu.setNotWatchingReason(m_notWatching ? summary : QString());
}
