#pragma once

#include "fetch/AnnouncementsUpdate.h"
#include "fetch/FetchWorker.h"
#include "fetch/PollSchedule.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/PollStatus.h"

#include <QMutex>
#include <QObject>
#include <QThread>
#include <memory>
#include <optional>

class Preferences;

// Fetches, keeps and stores the announcements, and polls on a schedule. When to poll is the
// `PollSchedule`'s; the poll itself runs on the `FetchWorker`'s thread, which answers with a
// `PollOutcome`; what is new is the archive's answer (PollRecorder).
//
// Threads: the object lives on the main thread, which reads and writes the settings, keeps the copy
// of the kept list that readers see and emits `pollFinished`. One poll runs at a time; poll requests
// that come while one is in flight join it. Reading the kept list answers at once from any thread.
class AnnouncementFetcher : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString cacheDirectory; // the folder of the cache file and the archive
        QString portalOrigin;
        long requestTimeoutMs = 60000;
        // Who tells the user what is new ("tray", "watch"): it takes what is owed from the archive.
        // Empty for a process that only prints (`zelvora poll`), which leaves it owed.
        QString teller = QStringLiteral("tray");
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
    std::optional<Announcement> announcement(const QString& id) const;

    bool isPolling() const { return m_pollActive; }
    const PollSchedule& schedule() const { return m_schedule; }
    QString portalOrigin() const { return m_origin; }
    QString cacheFilePath() const;
    QString archiveFilePath() const;
    // How the polls have gone, as stored beside the cache file (main thread).
    const PollStatus& pollStatus() const { return m_pollStatus; }
    QString pollStatusFile() const;
    // An output refused a delivery (`detail` says how), or delivered again (empty): kept in the poll
    // status until it delivers, logged once (main thread).
    void setOutputRefusal(const QString& output, const QString& detail);

Q_SIGNALS:
    void pollStarted();
    // The one way a poll's end reaches its listeners, on the fetcher's thread.
    void pollFinished(const AnnouncementsUpdate& update);
    // To the worker's thread.
    void pollRequested(const PollRequest& request);

private:
    void handleOutcome(const PollOutcome& outcome);
    PollRecorder::Hold hold() const;   // quiet hours, pause and mutes as they are now
    PollRecorder::Route route() const; // the outputs, rules and grouping as they are now
    void recordPollStatus(const PollOutcome& outcome);
    void writeCompatibilityCopies(const PollOutcome& outcome);
    void setAnnouncements(AnnouncementList announcements);
    // Called off the fetcher's thread: queues the call there and returns true.
    bool handedOver(void (AnnouncementFetcher::*operation)());

    Preferences& m_preferences;
    const Clock& m_clock;
    QString m_origin;

    mutable QMutex m_listMutex; // guards m_announcements only; held for copies, never across work
    AnnouncementList m_announcements;

    bool m_pollActive = false;
    PollStatus m_pollStatus;
    QString m_copyProblem; // logged once while it lasts
    PollSchedule m_schedule;
    QThread m_thread;
    std::unique_ptr<FetchWorker> m_worker; // lives on m_thread
};
