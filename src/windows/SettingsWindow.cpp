#include "windows/SettingsWindow.h"

#include "infra/LogCategories.h"
#include "model/InterfaceLanguage.h"
#include "model/Preferences.h"
#include "windows/ChoicePopup.h"
#include "windows/HistorySettingsSection.h"
#include "windows/RulesEditor.h"
#include "windows/WatchlistEditor.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProcess>
#include <QPushButton>

namespace {
const double kIntervals[] = {180.0, 300.0, 600.0};
} // namespace

SettingsWindow::SettingsWindow(Preferences& preferences, Hooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), m_preferences(preferences), m_hooks(std::move(hooks))
{
    setWindowTitle(tr("Settings — Zelvora"));
    setFixedSize(440, 700);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setupUI();
    loadValues();
}

int SettingsWindow::languagePosition(const QString& language)
{
    return language == QLatin1String("ar") ? 1 : 0;
}

QString SettingsWindow::languageForPosition(int position)
{
    return position == 1 ? QStringLiteral("ar") : QStringLiteral("en");
}

int SettingsWindow::pollIntervalPosition(double seconds)
{
    if (seconds == 300.0)
        return 1;
    if (seconds == 600.0)
        return 2;
    return 0;
}

double SettingsWindow::pollIntervalForPosition(int position)
{
    return position >= 0 && position < 3 ? kIntervals[position] : kIntervals[0];
}

QLabel* SettingsWindow::makeSectionHeader(const QString& title)
{
    auto* label = new QLabel(title.toUpper());
    label->setObjectName(QStringLiteral("sectionHeader"));
    label->setFont(WindowStyle::systemFont(10, QFont::DemiBold));
    label->setWordWrap(false);
    m_headings.append(label);
    return label;
}

QWidget* SettingsWindow::makePopupRow(const QString& text, QComboBox* popup)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    auto* label = new QLabel(text);
    label->setFont(WindowStyle::systemFont(13));
    label->setFixedWidth(135); // "Interface language" whole, and the pop-ups still in one column
    popup->setFixedWidth(160);
    layout->addWidget(label, 0, Qt::AlignVCenter);
    layout->addWidget(popup, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return row;
}

QCheckBox* SettingsWindow::makeCheckbox(const QString& title, void (SettingsWindow::*action)())
{
    auto* checkbox = new QCheckBox(title);
    checkbox->setFont(WindowStyle::systemFont(13));
    // `clicked` comes only from the user, never from loading the stored value.
    connect(checkbox, &QCheckBox::clicked, this, action);
    return checkbox;
}

void SettingsWindow::setupUI()
{
    auto separator = [this] {
        auto* line = new QWidget;
        line->setFixedHeight(1);
        line->setAutoFillBackground(true);
        m_separators.append(line);
        return line;
    };

    m_languagePopup = new ChoicePopup;
    m_languagePopup->addItems(
        {QStringLiteral("English"), QStringLiteral("\u0627\u0644\u0639\u0631\u0628\u064A\u0629")});
    connect(m_languagePopup, &QComboBox::activated, this, &SettingsWindow::languageChanged);
    m_interfaceLanguagePopup = new ChoicePopup;
    // Each language is named in itself, so a reader finds theirs whatever the interface shows.
    m_interfaceLanguagePopup->addItems({tr("System"), QStringLiteral("English"),
                                        QStringLiteral("\u0627\u0644\u0639\u0631\u0628\u064A\u0629")});
    connect(m_interfaceLanguagePopup, &QComboBox::activated, this, &SettingsWindow::interfaceLanguageChanged);
    m_pollIntervalPopup = new ChoicePopup;
    m_pollIntervalPopup->addItems({tr("Every 3 minutes"), tr("Every 5 minutes"), tr("Every 10 minutes")});
    connect(m_pollIntervalPopup, &QComboBox::activated, this, &SettingsWindow::pollIntervalChanged);

    m_notificationsCheckbox =
        makeCheckbox(tr("Enable notifications for new announcements"), &SettingsWindow::notificationsChanged);
    m_showAllCheckbox =
        makeCheckbox(tr("Show all announcements (not just watchlist)"), &SettingsWindow::showAllChanged);

    m_usageStatisticsCheckbox =
        makeCheckbox(tr("Share anonymous usage statistics"), &SettingsWindow::usageStatisticsChanged);

    m_resetPromptButton = new QPushButton(tr("Re-enable notification prompt"));
    m_resetPromptButton->setFont(WindowStyle::systemFont(11));
    connect(m_resetPromptButton, &QPushButton::clicked, this, &SettingsWindow::resetNotificationPrompt);

    m_watchlistEditor = new WatchlistEditor(m_preferences, m_hooks.issuerDirectory);
    connect(m_watchlistEditor, &WatchlistEditor::watchlistChanged, this, &SettingsWindow::watchlistChanged);
    m_rulesEditor = new RulesEditor(m_preferences);

    m_footer = new QLabel(tr("Zelvora monitors issuer announcements and market news from Saudi "
                             "Exchange public feeds. No account or API key required."));
    m_footer->setObjectName(QStringLiteral("footer"));
    m_footer->setFont(WindowStyle::systemFont(11));
    m_footer->setWordWrap(true);
    m_footer->setMaximumWidth(392);
    m_footer->setMinimumHeight(m_footer->heightForWidth(392)); // never squeezed: the bottom margin gives way

    auto* stack = new QVBoxLayout;
    stack->setSpacing(0);
    stack->setContentsMargins(0, 24, 0, 0);
    stack->addWidget(makeSectionHeader(tr("Data & Fetching")), 0, Qt::AlignLeft);
    stack->addSpacing(8);
    stack->addWidget(makePopupRow(tr("Language"), m_languagePopup));
    stack->addSpacing(10);
    stack->addWidget(makePopupRow(tr("Interface language"), m_interfaceLanguagePopup));
    stack->addSpacing(10);
    stack->addWidget(makePopupRow(tr("Check every"), m_pollIntervalPopup));
    if (m_hooks.history && m_hooks.clock) {
        stack->addSpacing(10);
        stack->addWidget(new HistorySettingsSection(*m_hooks.history, *m_hooks.clock));
    }
    stack->addSpacing(16);
    stack->addWidget(separator());
    stack->addSpacing(16);
    stack->addWidget(makeSectionHeader(tr("Notifications")), 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_notificationsCheckbox, 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_showAllCheckbox, 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_resetPromptButton, 0, Qt::AlignLeft);
    stack->addSpacing(16);
    stack->addWidget(separator());
    stack->addSpacing(16);
    stack->addWidget(makeSectionHeader(tr("Watchlist")), 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_watchlistEditor);
    stack->addSpacing(16);
    stack->addWidget(separator());
    stack->addSpacing(16);
    stack->addWidget(makeSectionHeader(tr("Rules")), 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_rulesEditor);
    stack->addSpacing(16);
    stack->addWidget(separator());
    stack->addSpacing(16);
    stack->addWidget(makeSectionHeader(tr("Privacy")), 0, Qt::AlignLeft);
    stack->addSpacing(10);
    stack->addWidget(m_usageStatisticsCheckbox, 0, Qt::AlignLeft);
    stack->addSpacing(16);
    stack->addWidget(separator());
    stack->addSpacing(14);
    stack->addWidget(m_footer);

    // 20 below the footer and 16 more to the window's edge, as far as the controls leave room.
    stack->addSpacerItem(new QSpacerItem(0, 20 + 16, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* container = new QVBoxLayout(this);
    container->setContentsMargins(24, 0, 24, 0);
    container->setSpacing(0);
    container->addLayout(stack);
    applyColors();
}

void SettingsWindow::applyColors()
{
    WindowStyle::setColor(m_footer, QPalette::WindowText, WindowStyle::tertiaryLabelColor(palette()));
    for (QLabel* heading : std::as_const(m_headings))
        WindowStyle::setColor(heading, QPalette::WindowText, WindowStyle::greenText(palette()));
    for (QWidget* line : std::as_const(m_separators)) {
        WindowStyle::setColor(line, QPalette::Window, WindowStyle::separatorColor(palette()));
    }
}

void SettingsWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && m_footer)
        applyColors();
    QWidget::changeEvent(event);
}

void SettingsWindow::showEvent(QShowEvent* event)
{
    // The watchlist may have been changed from the command line since the window was last shown.
    m_watchlistEditor->reload();
    m_rulesEditor->reload();
    QWidget::showEvent(event);
}

void SettingsWindow::loadValues()
{
    m_languagePopup->setCurrentIndex(languagePosition(m_preferences.language()));
    m_interfaceLanguagePopup->setCurrentIndex(
        static_cast<int>(InterfaceLanguage::stored(m_preferences.store())));
    m_notificationsCheckbox->setChecked(m_preferences.notificationsEnabled());
    m_showAllCheckbox->setChecked(m_preferences.showAllAnnouncements());
    m_usageStatisticsCheckbox->setChecked(m_preferences.shareUsageStatistics());
    m_pollIntervalPopup->setCurrentIndex(pollIntervalPosition(m_preferences.pollInterval()));
}

void SettingsWindow::languageChanged()
{
    m_preferences.setLanguage(languageForPosition(m_languagePopup->currentIndex()));
    relaunch();
}

void SettingsWindow::interfaceLanguageChanged()
{
    const int position = m_interfaceLanguagePopup->currentIndex();
    InterfaceLanguage::store(m_preferences.store(), static_cast<InterfaceLanguage::Choice>(position));
    relaunch();
}

void SettingsWindow::relaunch()
{
    // Feeds and interface language are chosen at start-up: a fresh instance picks up the new
    // language. If it cannot be started, this one keeps running rather than leaving the user with
    // no program at all.
    if (m_hooks.startNewInstance && m_hooks.startNewInstance()) {
        if (m_hooks.quitSoon)
            m_hooks.quitSoon();
        return;
    }
    qCInfo(lcSettings, "Could not start a new instance of %s; the new language applies at the next start",
           qUtf8Printable(QCoreApplication::applicationFilePath()));
}

void SettingsWindow::pollIntervalChanged()
{
    m_preferences.setPollInterval(pollIntervalForPosition(m_pollIntervalPopup->currentIndex()));
    if (m_hooks.restartPolling)
        m_hooks.restartPolling();
}

void SettingsWindow::notificationsChanged()
{
    m_preferences.setNotificationsEnabled(m_notificationsCheckbox->isChecked());
}

void SettingsWindow::showAllChanged()
{
    m_preferences.setShowAllAnnouncements(m_showAllCheckbox->isChecked());
}

void SettingsWindow::usageStatisticsChanged()
{
    m_preferences.setShareUsageStatistics(m_usageStatisticsCheckbox->isChecked());
}

void SettingsWindow::resetNotificationPrompt()
{
    m_preferences.setNotificationsDontAsk(false);
    if (m_hooks.showAlert)
        m_hooks.showAlert(tr("Notification prompt re-enabled"),
                          tr("The notification permission dialog will appear on next app launch."));
}

bool SettingsWindow::startNewInstanceOfThisProgram()
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                   QCoreApplication::arguments().mid(1));
}
