#pragma once

#include "infra/Clock.h"

#include <QColor>
#include <QWidget>
#include <functional>

class HistoryStore;
class Preferences;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QStackedWidget;
class QPushButton;
class QuietHoursEditor;
class OutputsEditor;
class RulesEditor;
class WatchlistEditor;

// Feed and interface language, poll interval, update checks, notifications, the watchlist filter, the
// watchlist itself and privacy, one page per section with the sections listed at the side. Every
// control writes its setting at once; a new interval restarts polling and a new language relaunches
// the program.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    // What the window asks of the rest of the program.
    struct Services
    {
        std::function<void()> restartPolling;
        // Starts a new instance of the program; false when it could not be started.
        std::function<bool()> startNewInstance;
        // Ends this instance a moment later (after a successful relaunch).
        std::function<void()> quitSoon;
        std::function<void(const QString& message, const QString& informative)> showAlert;
        // Where the issuer directory (names for the watchlist's symbols) is kept.
        QString issuerDirectory;
        // The history's size and "Clear History…"; none: not shown.
        HistoryStore* history = nullptr;
        const Clock* clock = nullptr;
        QString portalOrigin;    // where an output's test announcement links to
        bool doNotTrack = false; // the environment turned usage statistics off
    };

    // The headings' colour (the light brand green on a dark palette, where this one would not read).
    static inline const QColor kAccentColor{0x00, 0x6C, 0x35};

    SettingsWindow(Preferences& preferences, Services services, QWidget* parent = nullptr);

    // Stored value <-> control position.
    static int languagePosition(const QString& language);
    static QString languageForPosition(int position);
    static int pollIntervalPosition(double seconds);
    static double pollIntervalForPosition(int position);

    QComboBox* languagePopup() const { return m_languagePopup; }
    // Positions: System, English, Arabic.
    QComboBox* interfaceLanguagePopup() const { return m_interfaceLanguagePopup; }
    QComboBox* pollIntervalPopup() const { return m_pollIntervalPopup; }
    QCheckBox* notificationsCheckbox() const { return m_notificationsCheckbox; }
    QCheckBox* showAllCheckbox() const { return m_showAllCheckbox; }
    QPushButton* resetPromptButton() const { return m_resetPromptButton; }
    WatchlistEditor* watchlistEditor() const { return m_watchlistEditor; }
    OutputsEditor* outputsEditor() const { return m_outputsEditor; }
    RulesEditor* rulesEditor() const { return m_rulesEditor; }
    QuietHoursEditor* quietHoursEditor() const { return m_quietHoursEditor; }
    QCheckBox* usageStatisticsCheckbox() const { return m_usageStatisticsCheckbox; }
    QCheckBox* automaticUpdatesCheckbox() const { return m_automaticUpdatesCheckbox; }

    // Adds a section: its title in the side list, the page (which the window takes) beside it.
    // Returns the page's position.
    int addPage(const QString& title, QWidget* page);
    void showPage(int index);
    int currentPage() const;
    // A page as the window's own are laid out: the heading, then the rows one under another.
    QWidget* makePage(const QString& heading, const QList<QWidget*>& rows);

    void languageChanged();
    void interfaceLanguageChanged();
    void pollIntervalChanged();
    void notificationsChanged();
    void showAllChanged();
    void resetNotificationPrompt();
    void usageStatisticsChanged();
    void automaticUpdatesChanged();

    // Starts this executable again with the same arguments, detached.
    static bool startNewInstanceOfThisProgram();

Q_SIGNALS:
    // The watchlist editor wrote a symbol or the watch words.
    void watchlistChanged();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setupUi();
    void loadValues();
    QLabel* makeSectionHeader(const QString& title);
    QWidget* makePopupRow(const QString& label, QComboBox* popup);
    QCheckBox* makeCheckbox(const QString& title, void (SettingsWindow::*action)());
    void applyColors();
    void relaunch();

    Preferences& m_preferences;
    Services m_services;
    QComboBox* m_languagePopup = nullptr;
    QComboBox* m_interfaceLanguagePopup = nullptr;
    QComboBox* m_pollIntervalPopup = nullptr;
    QCheckBox* m_notificationsCheckbox = nullptr;
    QCheckBox* m_showAllCheckbox = nullptr;
    QPushButton* m_resetPromptButton = nullptr;
    WatchlistEditor* m_watchlistEditor = nullptr;
    OutputsEditor* m_outputsEditor = nullptr;
    RulesEditor* m_rulesEditor = nullptr;
    QuietHoursEditor* m_quietHoursEditor = nullptr;
    QCheckBox* m_usageStatisticsCheckbox = nullptr;
    QLabel* m_doNotTrackNote = nullptr;
    QCheckBox* m_automaticUpdatesCheckbox = nullptr;
    QListWidget* m_sections = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLabel* m_footer = nullptr;
    QList<QWidget*> m_separators;
    QList<QLabel*> m_headings;
};
