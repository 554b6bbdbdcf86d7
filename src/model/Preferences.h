#pragma once

#include "infra/Instant.h"
#include "infra/SettingsStore.h"
#include "model/QuietHours.h"
#include "model/RuleSet.h"
#include "model/SettingsKeys.h"
#include "model/Watchlist.h"
#include "notify/NotificationGate.h"

#include <QHash>
#include <QJsonArray>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <optional>

// The user's settings. Every read goes to the store (nothing is cached here), so a value changed by
// another process or an editor is seen at the next read.
class Preferences
{
public:
    static constexpr int kMaxSeenIDs = 500;

    // `portalOrigin` is the portal polled with these settings (it decides the poll interval's floor).
    explicit Preferences(const QString& settingsFile, const QString& portalOrigin = QString());

    static const QStringList& keys(); // the names in SettingsKeys::all()
    // 30 seconds, or $ZELVORA_MIN_POLL_INTERVAL for a portal on this machine (tests, the simulator):
    // the real portal is never polled more often.
    static double minimumPollInterval(const QString& portalOrigin);

    QSet<QString> watchlistSymbols() const;
    bool setWatchlistSymbols(const QSet<QString>& symbols); // false when the file could not be written
    QStringList watchWords() const;                         // in the order added; absent reads as empty
    bool setWatchWords(const QStringList& words);           // false when the file could not be written
    // Read, changed and written under the settings file's lock, so a change made meanwhile by another
    // process is kept; false when the file could not be written.
    bool changeWatchlistSymbols(const std::function<void(QSet<QString>&)>& change);
    bool changeWatchWords(const std::function<void(QStringList&)>& change);
    // Symbols and watch words, read now. The matcher is built again only when they changed.
    Watchlist watchlist() const;
    // The user's rules ("rules": an array of objects), in order; entries that are no rule are skipped.
    QList<Rule> rules() const;
    bool setRules(const QList<Rule>& rules); // false when the file could not be written
    RuleSet ruleSet() const;                 // the Watchlist, the rules and the show-all switch, read now
    bool showAllAnnouncements() const;
    void setShowAllAnnouncements(bool value);
    bool notificationsEnabled() const;
    void setNotificationsEnabled(bool value);
    QString language() const;
    void setLanguage(const QString& language);
    QSet<QString> seenAnnouncementIDs() const;
    void setSeenAnnouncementIDs(const QSet<QString>& ids);
    std::optional<Instant> lastPollDate() const;
    void setLastPollDate(std::optional<Instant> date);
    // At least minimumPollInterval(); a smaller stored value is logged once.
    double pollInterval() const;
    void setPollInterval(double seconds);
    // Days of announcement texts the history keeps: at least 30 (less reads as 30), 0 keeps them all;
    // absent or not a number of at least 0 reads as 730.
    static constexpr int kMinimumHistoryDays = 30;
    int historyDays() const;
    bool notificationsDontAsk() const;
    void setNotificationsDontAsk(bool value);
    // The settings window's usage-statistics switch: on unless stored false. Read by the telemetry
    // sender before every signal.
    bool shareUsageStatistics() const;
    void setShareUsageStatistics(bool value);
    // More notifications than this from one poll come as one summary (watchlist matches still one by
    // one, up to five); 0 never groups. A stored value that is not a number of at least 0 reads as 5.
    int groupNotificationsAbove() const;
    // Whether the tray program looks for a newer release by itself (a minute after start, then
    // daily); on unless stored false.
    bool automaticUpdateChecks() const;
    void setAutomaticUpdateChecks(bool value);

    // Quiet hours ("HH:MM-HH:MM" Riyadh, "outside-trading", or empty: off); text that is none of
    // these reads as off.
    QuietHours quietHours() const;
    void setQuietHours(const QString& text);
    // Notifications wait until this instant; absent or past: not paused.
    std::optional<Instant> pausedUntil() const;
    void setPausedUntil(std::optional<Instant> until);
    // Symbol → end of its mute. Ended mutes are left in the file and read as not muted.
    QHash<QString, Instant> mutedSymbols() const;
    bool muteSymbols(const QStringList& symbols, Instant until); // false when the file could not be written
    bool unmuteSymbol(const QString& symbol);
    // The morning digest's Riyadh minute of the day ("HH:MM"); empty or unreadable: no digest.
    std::optional<int> digestTime() const;
    void setDigestTime(const QString& text); // empty: off
    // Quiet hours, pause and mutes, read now.
    NotificationGate notificationGate() const;
    // The outputs (objects; read and checked by OutputStore). Absent reads as none.
    QJsonArray outputs() const;
    bool setOutputs(const QJsonArray& outputs); // false when the file could not be written

    void markAsSeen(const QString& id);
    // Adds the identifiers in order with one write of the settings file. Past the limit, the oldest
    // identifiers are dropped first, but never one in `keep` (the kept list, which itself holds at most
    // the limit) nor one just added: dropping an identifier of a record still kept would announce it
    // again at the next poll.
    void markAsSeen(const QStringList& ids, const QSet<QString>& keep = {});
    bool hasSeen(const QString& id) const;
    void clearSeenIDs();

    // The seen identifiers in the order they were added (oldest first).
    QStringList seenAnnouncementIDList() const;

    SettingsStore& store() { return m_store; }
    const SettingsStore& store() const { return m_store; }

    // Shared read rules, also used by the command line.
    static std::optional<QStringList> readStringArray(const QJsonValue& value);
    static std::optional<bool> readBool(const QJsonValue& value);

private:
    bool readBoolOrDefault(const SettingsKeys::Key& key) const;

    struct BuiltWatchlist
    {
        QStringList symbols;
        QStringList words;
        Watchlist watchlist;
    };

    SettingsStore m_store;
    double m_minimumPollInterval;
    mutable std::atomic<bool> m_pollIntervalRaised{false};
    mutable QMutex m_watchlistMutex;
    mutable std::optional<BuiltWatchlist> m_watchlist;
};
