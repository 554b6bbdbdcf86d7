#include "windows/SettingsWindow.h"

#include "infra/LogCategories.h"
#include "model/InterfaceLanguage.h"
#include "model/Preferences.h"
#include "windows/ChoicePopup.h"
#include "windows/HistorySettingsSection.h"
#include "windows/OutputsEditor.h"
#include "windows/QuietHoursEditor.h"
#include "windows/RulesEditor.h"
#include "windows/WatchlistEditor.h"
#include "windows/WindowStyle.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>

namespace {
const double kIntervals[] = {180.0, 300.0, 600.0};
} // namespace

SettingsWindow::SettingsWindow(Preferences& preferences, Services services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_preferences(preferences), m_services(std::move(services))
{
    setWindowTitle(tr("Settings — Zelvora"));
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setupUi();
    loadValues();
    // Small enough for a 1366x768 screen with a panel; the pages scroll when made smaller still.
    setMinimumSize(520, 360);
    resize(700, 520);
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
    label->setFont(WindowStyle::generalFont(10, QFont::DemiBold));
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
    label->setFont(WindowStyle::generalFont(13));
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
    checkbox->setFont(WindowStyle::generalFont(13));
    // `clicked` comes only from the user, never from loading the stored value.
    connect(checkbox, &QCheckBox::clicked, this, action);
    return checkbox;
}

QWidget* SettingsWindow::makePage(const QString& heading, const QList<QWidget*>& rows)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(makeSectionHeader(heading), 0, Qt::AlignLeft);
    for (QWidget* row : rows)
        layout->addWidget(row, 0, qobject_cast<QAbstractButton*>(row) ? Qt::AlignLeft : Qt::Alignment());
    layout->addStretch(1);
    return page;
}

int SettingsWindow::addPage(const QString& title, QWidget* page)
{
    // Each page scrolls on its own, so a long one still fits a short screen.
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->setContentsMargins(20, 16, 20, 16);
    scroll->setWidget(page);
    const int index = m_pages->addWidget(scroll);
    m_sections->addItem(title);
    if (index == 0)
        m_sections->setCurrentRow(0);
    return index;
}

void SettingsWindow::showPage(int index)
{
    m_sections->setCurrentRow(index);
}

int SettingsWindow::currentPage() const
{
    return m_pages->currentIndex();
}

void SettingsWindow::setupUi()
{
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
    m_automaticUpdatesCheckbox =
        makeCheckbox(tr("Check for updates automatically"), &SettingsWindow::automaticUpdatesChanged);

    m_notificationsCheckbox =
        makeCheckbox(tr("Enable notifications for new announcements"), &SettingsWindow::notificationsChanged);
    m_showAllCheckbox =
        makeCheckbox(tr("Show all announcements (not just watchlist)"), &SettingsWindow::showAllChanged);
    m_resetPromptButton = new QPushButton(tr("Re-enable notification prompt"));
    m_resetPromptButton->setFont(WindowStyle::generalFont(11));
    connect(m_resetPromptButton, &QPushButton::clicked, this, &SettingsWindow::resetNotificationPrompt);

    m_watchlistEditor = new WatchlistEditor(m_preferences, m_services.issuerDirectory);
    connect(m_watchlistEditor, &WatchlistEditor::watchlistChanged, this, &SettingsWindow::watchlistChanged);
    m_outputsEditor = new OutputsEditor(m_preferences, m_services.portalOrigin, m_services.clock);
    m_rulesEditor = new RulesEditor(m_preferences);
    m_quietHoursEditor = new QuietHoursEditor(m_preferences);

    m_usageStatisticsCheckbox =
        makeCheckbox(tr("Share anonymous usage statistics"), &SettingsWindow::usageStatisticsChanged);
    m_doNotTrackNote = new QLabel(tr("Turned off by DO_NOT_TRACK in the environment."));
    m_doNotTrackNote->setFont(WindowStyle::generalFont(11));
    m_doNotTrackNote->setWordWrap(true);

    m_footer = new QLabel(tr("Zelvora monitors issuer announcements and market news from Saudi "
                             "Exchange public feeds. No account or API key required."));
    m_footer->setObjectName(QStringLiteral("footer"));
    m_footer->setFont(WindowStyle::generalFont(11));
    m_footer->setWordWrap(true);

    m_sections = new QListWidget;
    m_sections->setObjectName(QStringLiteral("sections"));
    m_sections->setFixedWidth(170);
    m_sections->setFrameShape(QFrame::NoFrame);
    m_sections->setFont(WindowStyle::generalFont(13));
    m_sections->setSpacing(2);
    m_pages = new QStackedWidget;
    connect(m_sections, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);

    QList<QWidget*> general{makePopupRow(tr("Language"), m_languagePopup),
                            makePopupRow(tr("Interface language"), m_interfaceLanguagePopup),
                            makePopupRow(tr("Check every"), m_pollIntervalPopup), m_automaticUpdatesCheckbox};
    if (m_services.history && m_services.clock)
        general.append(new HistorySettingsSection(*m_services.history, *m_services.clock));
    addPage(tr("General"), makePage(tr("Data & Fetching"), general));
    addPage(tr("Notifications"),
            makePage(tr("Notifications"), {m_notificationsCheckbox, m_showAllCheckbox, m_resetPromptButton}));
    addPage(tr("Watchlist"), makePage(tr("Watchlist"), {m_watchlistEditor}));
    addPage(tr("Rules"), makePage(tr("Rules"), {m_rulesEditor}));
    addPage(tr("Outputs"), makePage(tr("Outputs"), {m_outputsEditor}));
    addPage(tr("Privacy"), makePage(tr("Privacy"), {m_usageStatisticsCheckbox, m_doNotTrackNote}));
    addPage(tr("Quiet Hours"), makePage(tr("Quiet Hours"), {m_quietHoursEditor}));

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addWidget(m_pages, 1);
    auto* footerLine = new QWidget;
    footerLine->setFixedHeight(1);
    footerLine->setAutoFillBackground(true);
    m_separators.append(footerLine);
    right->addWidget(footerLine);
    m_footer->setContentsMargins(20, 10, 20, 12);
    right->addWidget(m_footer);

    auto* sideLine = new QWidget;
    sideLine->setFixedWidth(1);
    sideLine->setAutoFillBackground(true);
    m_separators.append(sideLine);
    auto* container = new QHBoxLayout(this);
    container->setContentsMargins(0, 0, 0, 0);
    container->setSpacing(0);
    container->addWidget(m_sections);
    container->addWidget(sideLine);
    container->addLayout(right, 1);
    applyColors();
}

void SettingsWindow::applyColors()
{
    WindowStyle::setColor(m_footer, QPalette::WindowText, WindowStyle::tertiaryText(palette()));
    WindowStyle::setColor(m_doNotTrackNote, QPalette::WindowText, WindowStyle::secondaryText(palette()));
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
    m_quietHoursEditor->reload();
    m_outputsEditor->reload();
    QWidget::showEvent(event);
}

void SettingsWindow::loadValues()
{
    m_languagePopup->setCurrentIndex(languagePosition(m_preferences.language()));
    m_interfaceLanguagePopup->setCurrentIndex(static_cast<int>(m_preferences.interfaceLanguage()));
    m_notificationsCheckbox->setChecked(m_preferences.notificationsEnabled());
    m_showAllCheckbox->setChecked(m_preferences.showAllAnnouncements());
    // The environment's DO_NOT_TRACK wins over the stored switch: the box shows what happens.
    const bool doNotTrack = m_services.doNotTrack;
    m_usageStatisticsCheckbox->setChecked(m_preferences.shareUsageStatistics() && !doNotTrack);
    m_usageStatisticsCheckbox->setEnabled(!doNotTrack);
    m_doNotTrackNote->setVisible(doNotTrack);
    m_automaticUpdatesCheckbox->setChecked(m_preferences.automaticUpdateChecks());
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
    m_preferences.setInterfaceLanguage(static_cast<InterfaceLanguage::Choice>(position));
    relaunch();
}

void SettingsWindow::relaunch()
{
    // Feeds and interface language are chosen at start-up: a fresh instance picks up the new
    // language. If it cannot be started, this one keeps running rather than leaving the user with
    // no program at all.
    if (m_services.startNewInstance && m_services.startNewInstance()) {
        if (m_services.quitSoon)
            m_services.quitSoon();
        return;
    }
    qCInfo(lcSettings, "Could not start a new instance of %s; the new language applies at the next start",
           qUtf8Printable(QCoreApplication::applicationFilePath()));
}

void SettingsWindow::pollIntervalChanged()
{
    m_preferences.setPollInterval(pollIntervalForPosition(m_pollIntervalPopup->currentIndex()));
    if (m_services.restartPolling)
        m_services.restartPolling();
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

void SettingsWindow::automaticUpdatesChanged()
{
    m_preferences.setAutomaticUpdateChecks(m_automaticUpdatesCheckbox->isChecked());
}

void SettingsWindow::resetNotificationPrompt()
{
    m_preferences.setNotificationsDontAsk(false);
    if (m_services.showAlert)
        m_services.showAlert(tr("Notification prompt re-enabled"),
                             tr("The notification permission dialog will appear on next app launch."));
}

bool SettingsWindow::startNewInstanceOfThisProgram()
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                   QCoreApplication::arguments().mid(1));
}
