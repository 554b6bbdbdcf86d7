#pragma once

#include "infra/Instant.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QTimeZone>
#include <optional>

// How the polls have gone lately: when Zelvora last heard from the exchange, what fails now, and
// whether it has failed long enough to say it is not watching. The fetcher keeps it up to date and
// stores it beside the cache file, where `zelvora status` reads it.
class PollStatus
{
    Q_DECLARE_TR_FUNCTIONS(PollStatus)

public:
    struct FeedFailure
    {
        QString feed;   // "issuer" or "market"
        QString error;  // as logged: badStatus(403), or the transport's message
        QString reason; // for people: "403 Access Denied"

        friend bool operator==(const FeedFailure&, const FeedFailure&) = default;
    };

    enum class State {
        Unknown,       // no poll recorded yet
        Watching,      // the last poll heard from every feed
        PartlyFailing, // one feed answered, the other failed
        Failing,       // no feed answered, not yet for long
        NotWatching    // no feed answered for more than half an hour and at least three polls
    };

    static constexpr double kNotWatchingAfterSeconds = 30 * 60;
    static constexpr int kNotWatchingAfterPolls = 3;
    static inline const QString kFileName = QStringLiteral("poll-status.json");

    // One finished poll: `failures` lists the feeds that failed, `allFailed` says no feed answered.
    // Returns true when this poll began or ended the not-watching state.
    bool record(Instant at, const QList<FeedFailure>& failures, bool allFailed);

    State state() const;
    bool lastPollFailed() const { return m_consecutiveFailures > 0; }
    std::optional<Instant> lastSuccess() const { return m_lastSuccess; }
    std::optional<Instant> lastFailure() const { return m_lastFailure; }
    std::optional<Instant> failingSince() const { return m_failingSince; }
    int consecutiveFailures() const { return m_consecutiveFailures; }
    const QList<FeedFailure>& failures() const { return m_failures; }
    // What the last poll could not save ("Can't save to …: No space left on device"); empty when saved.
    const QString& storageProblem() const { return m_storageProblem; }
    void setStorageProblem(const QString& problem) { m_storageProblem = problem; }
    // The outputs that refused their last delivery, with how (as logged); an empty detail clears one.
    // Returns whether anything changed.
    bool setOutputRefusal(const QString& output, const QString& detail);
    const QMap<QString, QString>& outputRefusals() const { return m_outputRefusals; }
    // For people, one line per output: "Output “phone” refused: HTTP 401 (Unauthorized)".
    QString outputProblem() const;

    // The line the tray icon's tooltip shows: "Checked 2:05 PM", a storage problem while the portal
    // answers, "Can't reach the Saudi Exchange since 1:20 PM (403 Access Denied)". Times as
    // DisplayTime::own shows them in `zone`.
    QString summary(Instant now, const QTimeZone& zone = QTimeZone::systemTimeZone()) const;
    // The failures for people: "issuer announcements: 403 Access Denied".
    QString problem() const;
    static QString feedName(const QString& feed);
    // "14:05", or "5 Dec 14:05" when not on the day of `now`.
    static QString clockTime(Instant at, Instant now, const QTimeZone& zone);

    QJsonObject toJson() const;
    static PollStatus fromJson(const QJsonObject& object);
    // An unreadable or missing file, or one larger than any this program writes, gives the unknown
    // state.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static PollStatus load(const QString& file);
    bool save(const QString& file) const;

    friend bool operator==(const PollStatus&, const PollStatus&) = default;

private:
    std::optional<Instant> m_lastSuccess;
    std::optional<Instant> m_lastFailure;
    std::optional<Instant> m_failingSince; // the first poll of the current run of failed polls
    int m_consecutiveFailures = 0;
    bool m_notWatching = false;
    QList<FeedFailure> m_failures; // those of the last poll
    QString m_storageProblem;
    QMap<QString, QString> m_outputRefusals;
};
Q_DECLARE_METATYPE(PollStatus)
