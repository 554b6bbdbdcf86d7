#pragma once

#include "fetch/AnnouncementsUpdate.h"
#include "fetch/PollSchedule.h"
#include "fetch/SeenPolicy.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QMutex>
#include <QObject>
#include <memory>
#include <optional>

class Preferences;
class FetchWorker;
struct FeedResults;

// Fetches, keeps and stores the announcements, and polls on a schedule. It runs the poll cycle and
// holds the kept list; when to poll is the `PollSchedule`'s, the network and files the `FetchWorker`'s
// (on its own thread) and which records are new the `SeenPolicy`'s.
//
// Threads: the object lives on the main thread, which owns the poll's control flow, the settings reads
// and writes, the kept list's updates and the `pollFinished` signal. One poll runs at a time; poll
// requests that come while one is in flight join it. Reading the kept list answers at once from any
// thread.
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
    void setNetworkOnline(bool online);
    // Stops the timer, forgets the kept list, deletes the cache file, then starts polling again. A poll
    // in flight runs on to its end (the restart's immediate poll joins it).
    void restartPolling();

    AnnouncementList announcements() const;
    void setAnnouncements(AnnouncementList announcements);
    std::optional<Announcement> announcement(const QString& id) const;

    bool isPolling() const { return m_pollActive; }
    bool isFirstPoll() const { return m_seen.isFirstPoll(); }
    // The poll command decides for itself whether a one-shot process is a first poll.
    void setFirstPoll(bool firstPoll) { m_seen.setFirstPoll(firstPoll); }
    const PollSchedule& schedule() const { return m_schedule; }
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
    void afterCacheLoaded();
    void afterFetch(const FeedResults& results);
    void recordPollStatus(const FeedResults& results);
    void afterSave(const AnnouncementList& kept, const FeedResults& results);
    void finishPoll(AnnouncementsUpdate update);
    // Called off the fetcher's thread: queues the call there and returns true.
    bool handedOver(void (AnnouncementFetcher::*operation)());

    Preferences& m_preferences;
    const Clock& m_clock;
    QString m_origin;

    mutable QMutex m_listMutex; // guards m_announcements only; held for copies, never across work
    AnnouncementList m_announcements;

    bool m_pollActive = false;
    PollStatus m_pollStatus;
    SeenPolicy m_seen;
    PollSchedule m_schedule;
    std::unique_ptr<FetchWorker> m_worker;
};
