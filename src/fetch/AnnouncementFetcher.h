#pragma once

#include "fetch/AnnouncementsUpdate.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

class Preferences;
class FetchWorker;

// Fetches, keeps and stores the announcements, and polls on a schedule.
//
// Threads: the object lives on the main thread, which owns the poll's control flow, the settings reads
// and writes, the kept list's updates and the `pollFinished` signal. The network and the cache file are
// handled on one worker thread, one job at a time. One poll runs at a time; poll requests that come while one
// is in flight join it. Reading the kept list answers at once from any thread.
class AnnouncementFetcher : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString cacheDirectory; // the folder of the cache file
        QString portalOrigin;
        long requestTimeoutMs = 60000;
    };

    AnnouncementFetcher(Preferences& preferences, const Clock& clock, Options options,
                        QObject* parent = nullptr);
    ~AnnouncementFetcher() override;

    // Runs one poll cycle, or joins the one in flight; either way `pollFinished` tells its end.
    // Callable from any thread.
    void poll();
    // An immediate poll and a repeating timer at the stored interval (read now).
    void startPolling();
    // After the system woke from sleep or the network came back: a poll at once (joining one in
    // flight) and, when polling is scheduled, the next tick one interval from now.
    void wakeUp();
    // While the network is gone, failing feeds are not logged poll after poll (the network watcher
    // said it once).
    void setNetworkOnline(bool online) { m_networkOnline = online; }
    // Stops the timer, forgets the kept list, deletes the cache file, then starts polling again. A poll
    // in flight runs on to its end (the restart's immediate poll joins it).
    void restartPolling();

    AnnouncementList announcements() const;
    void setAnnouncements(AnnouncementList announcements);
    std::optional<Announcement> announcement(const QString& id) const;

    bool isPolling() const { return m_pollActive; }
    bool isFirstPoll() const { return m_isFirstPoll; }
    // The poll command decides for itself whether a one-shot process is a first poll.
    void setFirstPoll(bool firstPoll) { m_isFirstPoll = firstPoll; }
    const QTimer* pollTimer() const { return m_timer; }
    QString portalOrigin() const { return m_origin; }
    QString cacheFilePath() const;
    // How the polls have gone, as stored beside the cache file (main thread).
    const PollStatus& pollStatus() const { return m_pollStatus; }
    QString pollStatusFile() const;

Q_SIGNALS:
    void pollStarted();
    // The one way a poll's end reaches its listeners, on the fetcher's thread.
    void pollFinished(const AnnouncementsUpdate& update);

private:
    struct FeedResults;
    void afterCacheLoaded();
    void afterFetch(const FeedResults& results);
    void recordPollStatus(const FeedResults& results);
    void afterSave(const AnnouncementList& kept, const QSet<QString>& presentAtStart);
    QSet<QString> presentAtStart(const FeedResults& results);
    void markAsSeen(const QStringList& ids, const AnnouncementsUpdate& update);
    void finishPoll(const AnnouncementsUpdate& update);
    // Called off the fetcher's thread: queues the call there and returns true.
    bool handedOver(void (AnnouncementFetcher::*operation)());
    void armTimer();
    void stopTimer();
    template <typename Job> void onWorker(Job job);

    Preferences& m_preferences;
    const Clock& m_clock;
    QString m_origin;

    mutable QMutex m_listMutex; // guards m_announcements only; held for copies, never across work
    AnnouncementList m_announcements;

    bool m_isFirstPoll = true;
    std::atomic<bool> m_networkOnline{true}; // read on the worker thread
    // The oldest date a full kept list has held. A fetched record no newer than that was left out
    // for lack of room at an earlier poll, and its seen mark may be gone (the seen set keeps only
    // the kept identifiers once it is full): it must not come back as new when the list has room
    // again, as after a restart of polling.
    std::optional<Instant> m_fullListHorizon;
    // What was on the portal at start-up is never new, but a feed that failed at the first poll
    // shows it at its first answer: its records dated up to the start are marked seen without
    // being reported. The start is the first poll, or the last run's last poll when this run
    // follows it within one interval.
    static constexpr double kRestartGraceSeconds = 60;
    std::optional<Instant> m_startedAt;
    bool m_followsLastRun = false;
    bool m_issuerMissedFirstPoll = false;
    bool m_marketMissedFirstPoll = false;
    bool m_pollActive = false;
    PollStatus m_pollStatus;
    QPointer<QTimer> m_timer;

    QThread m_thread;
    std::unique_ptr<FetchWorker> m_worker;
};
