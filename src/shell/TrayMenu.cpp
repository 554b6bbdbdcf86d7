#include "shell/TrayMenu.h"

#include "model/AnnouncementEmoji.h"
#include "model/Preferences.h"
#include "shell/AnnouncementMenuItem.h"
#include "shell/AnnouncementMenuLine.h"
#include "shell/MenuCommands.h"
#include "shell/ScrollingMenuStyle.h"
#include "windows/WindowStyle.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTextDocument>
#include <QWidgetAction>
#include <limits>

namespace {
const char* const kRowProperty = "zelvoraRow";
} // namespace

TrayMenu::TrayMenu(MenuCommands& commands, Preferences& preferences, ItemStyle style, QObject* parent)
    : QObject(parent), m_commands(commands), m_preferences(preferences), m_style(style),
      m_menu(std::make_unique<QMenu>()), m_availableHeight(&TrayMenu::screenHeightUnderPointer)
{
    m_menu->setMinimumWidth(kMinimumWidth);
    // First: the menu is built before it is fitted to the screen and counts as open.
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        if (m_due || (m_buildWhenShown && !m_built)) {
            m_due = false;
            rebuildIfChanged();
        }
    });
    if (m_style == ItemStyle::Widgets) {
        m_menuStyle = std::make_unique<ScrollingMenuStyle>();
        m_menu->setStyle(m_menuStyle.get());
        // The screen it opens on may not be the one it was built for.
        connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayMenu::fitToScreen);
        connect(m_menu.get(), &QMenu::hovered, this, &TrayMenu::highlightOnly);
        m_menu->installEventFilter(this);
    }
    // A tray host that draws the exported menu reports its opening and closing the same way.
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        m_open = true;
        m_openFor.start();
    });
    connect(m_menu.get(), &QMenu::aboutToHide, this, &TrayMenu::closed);
    m_menu->setToolTipsVisible(true);
}

TrayMenu::~TrayMenu() = default;

TrayMenu::ItemStyle TrayMenu::detectItemStyle()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() &&
        bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value())
        return ItemStyle::Text;
    return ItemStyle::Widgets;
}

QString TrayMenu::marketName()
{
    return tr("Tadawul Market");
}

int TrayMenu::rowOf(const QAction* action)
{
    const QVariant tag = action ? action->property(kRowProperty) : QVariant();
    return tag.isValid() ? tag.toInt() : -1;
}

void TrayMenu::update(const AnnouncementList& announcements)
{
    m_announcements = announcements;
    rebuild();
}

void TrayMenu::closed()
{
    m_open = false;
    // Queued: the menu closes before it triggers the chosen item, which a rebuild would delete.
    if (m_stale)
        QMetaObject::invokeMethod(this, &TrayMenu::rebuild, Qt::QueuedConnection);
}

bool TrayMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu.get() && event->type() == QEvent::KeyPress) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (QAction* action : m_menu->actions()) {
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed && action->isEnabled()) {
                m_menu->close();
                action->trigger();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void TrayMenu::highlightOnly(const QAction* active)
{
    // Keyboard and pointer move the same one highlight.
    for (QAction* action : m_menu->actions()) {
        auto* widgetAction = qobject_cast<QWidgetAction*>(action);
        if (auto* item =
                widgetAction ? qobject_cast<AnnouncementMenuItem*>(widgetAction->defaultWidget()) : nullptr)
            item->setHighlighted(action == active);
    }
}

void TrayMenu::setNotWatchingReason(const QString& reason)
{
    setLine(m_problem, reason.isEmpty() ? QString() : tr("Not watching: %1").arg(reason));
}

void TrayMenu::setHeldLine(const QString& line)
{
    setLine(m_held, line);
}

void TrayMenu::setDigestLine(const QString& line)
{
    setLine(m_digest, line);
}

void TrayMenu::setLine(QString& field, const QString& line)
{
    if (line == field)
        return;
    field = line;
    if (m_built) // else the first build, still to come, shows it
        rebuild();
}

void TrayMenu::setAvailableHeight(std::function<int()> availableHeight)
{
    m_availableHeight = std::move(availableHeight);
}

void TrayMenu::addProblem()
{
    auto* line = new QWidgetAction(m_menu.get());
    const QString text = QStringLiteral("\u26A0  ") + m_problem;
    if (m_style == ItemStyle::Widgets) {
        auto* label = new QLabel(text);
        label->setWordWrap(true);
        label->setFont(WindowStyle::generalFont(12, QFont::DemiBold));
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

void TrayMenu::addHeader()
{
    auto* action = new QWidgetAction(m_menu.get());
    if (m_style == ItemStyle::Widgets) {
        auto* label = new QLabel;
        label->setTextFormat(Qt::RichText);
        const QPalette palette = label->palette();
        label->setText(
            QStringLiteral("<span style=\"font-size:14px; font-weight:bold; color:%1\">Zelvora</span>"
                           "<span style=\"font-size:12px; color:%2\">&nbsp;&nbsp;%3</span>")
                .arg(WindowStyle::kSaudiGreen.name(), WindowStyle::secondaryText(palette).name(),
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

void TrayMenu::addSectionHeader(const QString& emoji, const QString& title, const QColor& color)
{
    auto* action = new QWidgetAction(m_menu.get());
    if (m_style == ItemStyle::Widgets) {
        // The emoji in its own colour font (the label's fallback finds outline glyphs first), the
        // title bold enough to stand out from the items under it.
        auto* header = new QWidget;
        auto* layout = new QHBoxLayout(header);
        layout->setContentsMargins(10, 5, 10, 2);
        layout->setSpacing(6);
        auto* mark = new QLabel(emoji);
        mark->setFont(WindowStyle::emojiFont(12));
        auto* label = new QLabel(title);
        label->setFont(WindowStyle::generalFont(11, QFont::Bold));
        WindowStyle::setColor(label, QPalette::WindowText, color);
        layout->addWidget(mark);
        layout->addWidget(label, 1);
        action->setDefaultWidget(header);
    }
    action->setText(emoji + QStringLiteral("  ") + title);
    action->setEnabled(false);
    m_menu->addAction(action);
}

QAction* TrayMenu::addAnnouncementItem(const Announcement& announcement, int tag, const QString& date)
{
    const QString emoji = AnnouncementEmoji::forAnnouncement(announcement);
    QAction* action = nullptr;
    QString text;
    if (m_style == ItemStyle::Widgets) {
        auto* widgetAction = new QWidgetAction(m_menu.get());
        auto* item = new AnnouncementMenuItem(announcement, emoji, date, m_itemForm);
        item->setUnread(m_unread.contains(announcement.id()));
        connect(item, &AnnouncementMenuItem::clicked, widgetAction, [this, widgetAction] {
            widgetAction->trigger();
            m_menu->close();
        });
        connect(item, &AnnouncementMenuItem::entered, m_menu.get(),
                [this, widgetAction] { m_menu->setActiveAction(widgetAction); });
        widgetAction->setDefaultWidget(item);
        action = widgetAction;
        text =
            QStringLiteral("  ") + emoji + QLatin1Char(' ') +
            AnnouncementMenuItem::shortened(announcement.displayTitle(), AnnouncementMenuItem::kTitleLength);
    } else {
        // The host draws only this text: one line that tells the item apart.
        action = new QAction(m_menu.get());
        text = AnnouncementMenuLine::escapedForExport(AnnouncementMenuLine::text(announcement, emoji, date));
    }
    if (m_style == ItemStyle::Text && m_unread.contains(announcement.id()))
        text.prepend(QStringLiteral("\u25CF ")); // the host draws plain text: a dot marks unread
    action->setText(text);
    action->setToolTip(Qt::convertFromPlainText(announcement.displayTitle())); // never read as markup
    action->setData(QVariant::fromValue(announcement));
    action->setProperty(kRowProperty, tag);
    connect(action, &QAction::triggered, this,
            [this, action] { m_commands.menuOpenAnnouncement(action->data()); });
    m_menu->addAction(action);
    return action;
}

int TrayMenu::screenHeightUnderPointer()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() : std::numeric_limits<int>::max();
}

TrayMenu::Shown TrayMenu::shown() const
{
    Shown shown;
    const Watchlist watchlist = m_preferences.watchlist();
    if (!watchlist.isEmpty()) {
        for (const Announcement& announcement : std::as_const(m_announcements)) {
            if (shown.matches.size() == kWatchlistLimit)
                break;
            if (watchlist.matches(announcement))
                shown.matches.append(announcement);
        }
    }
    shown.latest = m_announcements.mid(0, kLatestLimit);
    const Instant now = Instant::now();
    const QLocale locale;
    for (const AnnouncementList* list : {&shown.matches, &shown.latest}) {
        for (const Announcement& announcement : *list)
            shown.dates.append(announcement.displayDate(now, locale));
    }
    shown.problem = m_problem;
    shown.held = m_held;
    shown.digest = m_digest;
    shown.unread = m_unread;
    return shown;
}

void TrayMenu::rebuild()
{
    // A host that reports an opening may fail to report the closing: an hour later the menu is
    // taken as closed.
    if (m_open && m_style == ItemStyle::Text && m_openFor.hasExpired(kAssumeClosedAfterMs))
        m_open = false;
    if (m_open) {
        m_stale = true;
        return;
    }
    if (m_buildWhenShown) {
        m_due = true;
        return;
    }
    rebuildIfChanged();
}

void TrayMenu::rebuildIfChanged()
{
    m_stale = false;
    Shown now = shown();
    if (m_built && m_shown == now)
        return;
    m_shown = std::move(now);
    rebuildNow();
}

void TrayMenu::rebuildNow()
{
    // A menu taller than the screen would scroll; one-line items let it fit on a 1280x800 laptop.
    fill(AnnouncementMenuItem::Form::Full);
    // Only drawn items are fitted; measuring plain ones would load the fonts for nothing.
    if (m_style == ItemStyle::Widgets) {
        m_fullHeight = m_menu->sizeHint().height();
        fitToScreen();
    }
}

void TrayMenu::fitToScreen()
{
    if (m_style != ItemStyle::Widgets || m_announcements.isEmpty() || !m_built)
        return;
    const auto form = m_fullHeight > m_availableHeight() ? AnnouncementMenuItem::Form::Compact
                                                         : AnnouncementMenuItem::Form::Full;
    if (form != m_itemForm)
        fill(form);
}

void TrayMenu::fill(AnnouncementMenuItem::Form form)
{
    fill(form, m_shown ? *m_shown : shown());
}

void TrayMenu::fill(AnnouncementMenuItem::Form form, const Shown& shown)
{
    // clear() deletes the actions the menu owns, and with them their widgets; the menu is refilled
    // in the same turn.
    m_menu->clear();
    m_built = true;
    m_itemForm = form;

    const QPalette palette = m_menu->palette();
    addHeader();
    if (!m_held.isEmpty()) {
        QAction* resume =
            m_menu->addAction(QIcon::fromTheme(QStringLiteral("notifications-disabled")), m_held);
        connect(resume, &QAction::triggered, this, [this] { m_commands.menuResumeNotifications(); });
    }
    if (!m_digest.isEmpty()) {
        QAction* digest = m_menu->addAction(QStringLiteral("\u2600\uFE0F  ") + m_digest);
        connect(digest, &QAction::triggered, this, [this] { m_commands.menuOpenDigest(); });
    }
    if (!m_problem.isEmpty())
        addProblem();
    m_menu->addSeparator();

    const auto command = [this](const QString& title, const QString& icon, const QKeySequence& key,
                                auto handler) {
        QAction* action = m_menu->addAction(QIcon::fromTheme(icon), title);
        if (!key.isEmpty())
            action->setShortcut(key);
        action->setShortcutVisibleInContextMenu(true);
        // A right-to-left menu would draw "Ctrl+," as ",+Ctrl": the shortcut column (after the tab)
        // is given isolated, left to right.
        if (!key.isEmpty() && m_style == ItemStyle::Widgets && QGuiApplication::isRightToLeft()) {
            action->setShortcutVisibleInContextMenu(false);
            action->setText(title + QLatin1Char('\t') + QChar(0x2066) +
                            key.toString(QKeySequence::NativeText) + QChar(0x2069));
        }
        connect(action, &QAction::triggered, this, [this, handler] { (m_commands.*handler)(); });
        return action;
    };
    command(tr("Refresh Now"), QStringLiteral("view-refresh"), QKeySequence(Qt::CTRL | Qt::Key_R),
            &MenuCommands::menuRefreshNow);
    QAction* settings = command(tr("Settings\u2026"), QStringLiteral("configure"),
                                QKeySequence(Qt::CTRL | Qt::Key_Comma), &MenuCommands::menuOpenSettings);
    if (settings->icon().isNull())
        settings->setIcon(QIcon::fromTheme(QStringLiteral("preferences-system")));
    command(tr("Check for Updates..."), QStringLiteral("system-software-update"), QKeySequence(),
            &MenuCommands::menuCheckForUpdates);
    command(tr("About Zelvora"), QStringLiteral("help-about"), QKeySequence(), &MenuCommands::menuShowAbout);
    m_menu->addSeparator();
    command(tr("Pause Notifications for 1 Hour"), QString(), QKeySequence(),
            &MenuCommands::menuPauseForAnHour);
    command(tr("Pause Notifications Until Tomorrow's Open"), QString(), QKeySequence(),
            &MenuCommands::menuPauseUntilTomorrowsOpen);
    m_menu->addSeparator();
    command(tr("Quit"), QString(), QKeySequence(Qt::CTRL | Qt::Key_Q), &MenuCommands::menuQuit);
    command(tr("View All (30 days)..."), QStringLiteral("view-list-details"), QKeySequence(),
            &MenuCommands::menuViewAll);
    if (!m_unread.isEmpty())
        command(tr("Mark All as Read"), QStringLiteral("mail-mark-read"), QKeySequence(),
                &MenuCommands::menuMarkAllRead);
    m_menu->addSeparator();

    int date = 0;
    if (!shown.matches.isEmpty()) {
        addSectionHeader(QStringLiteral("\u2B50"), tr("Watchlist"), WindowStyle::kSaudiGreen);
        for (int i = 0; i < int(shown.matches.size()); ++i)
            addAnnouncementItem(shown.matches.at(i), i, shown.dates.at(date++));
        m_menu->addSeparator();
    }

    addSectionHeader(QStringLiteral("\U0001F4CB"), tr("Latest Announcements"),
                     WindowStyle::secondaryText(palette));
    if (shown.latest.isEmpty()) {
        auto* empty = new QWidgetAction(m_menu.get());
        const QString text = QStringLiteral("  ") + tr("No announcements yet \u2014 refreshing\u2026");
        if (m_style == ItemStyle::Widgets) {
            auto* label = new QLabel(text);
            QFont font = WindowStyle::generalFont(12);
            font.setItalic(true);
            label->setFont(font);
            QPalette labelPalette = label->palette();
            labelPalette.setColor(QPalette::WindowText, WindowStyle::tertiaryText(palette));
            label->setPalette(labelPalette);
            label->setContentsMargins(6, 2, 10, 4);
            empty->setDefaultWidget(label);
        }
        empty->setText(text);
        empty->setEnabled(false);
        m_menu->addAction(empty);
        return;
    }
    for (int i = 0; i < int(shown.latest.size()); ++i)
        addAnnouncementItem(shown.latest.at(i), kFirstLatestRow + i, shown.dates.at(date++));
}
