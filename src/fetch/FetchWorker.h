#pragma once

#include "archive/PollRecorder.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/FeedFetcher.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/PortalClient.h"

#include <QDateTime>
#include <QObject>
#include <atomic>
#include <optional>

// What one poll's fetch brought from the two feeds.
struct FeedResults
{
    FetchResult issuer;
    FetchResult market;
};

// What the owner's thread gives a poll: the settings it reads there.
struct PollRequest
{
    QString language;
    QStringList seen;                    // for an archive made anew
    std::optional<Instant> lastPollDate; // likewise
    PollRecorder::Hold hold;             // what stays owed for now
    PollRecorder::Route route;           // what the outputs are owed
};

// What a poll did.
struct PollOutcome
{
    FeedResults results;
    Instant at;
    AnnouncementList kept;   // after the merge (unchanged when both feeds failed)
    AnnouncementList toTell; // see PollRecorder
    AnnouncementList released;
    int held = 0;
    std::optional<Instant> since;
    QString storageProblem; // the archive could not be saved
    QString copyProblem;    // the cache file could not be written
};
Q_DECLARE_METATYPE(PollRequest)
Q_DECLARE_METATYPE(PollOutcome)

// The poll, top to bottom, on the fetcher's own thread: fetch both feeds, parse, one archive
// transaction, the kept list and its cache file, what to tell. It owns the kept list, the archive and
// the cache and issuer files; its owner talks to it only through queued signals, so it does one
// thing at a time, in the order asked.
class FetchWorker : public QObject
{
    Q_OBJECT
public:
    FetchWorker(QString cacheDirectory, QString portalOrigin, QString teller, const Clock& clock,
                long requestTimeoutMs);
    // After its thread has ended: saves what the archive could not take before.
    ~FetchWorker() override;

    void runPoll(const PollRequest& request);

    // Any thread. A restart of polling: the cache file goes now, the kept list at the latest before a
    // poll in flight merges, so the old list never comes back.
    void discardKept();

    // Any thread.
    // The owner is going away: a transfer in flight ends, and its poll records nothing, since its
    // outcome would reach no one.
    void cancel()
    {
        m_stopping = true;
        m_client.cancel();
    }
    QString cacheFilePath() const { return m_cache.cacheFilePath(); }
    QString archiveFilePath() const { return m_recorder.archiveFilePath(); }
    // While the network is gone, failing feeds are not logged poll after poll.
    void setNetworkOnline(bool online) { m_networkOnline = online; }

Q_SIGNALS:
    void pollDone(const PollOutcome& outcome);

private:
    void discardIfAsked();
    FeedResults fetchFeeds(const QString& language);
    void learnIssuers(const AnnouncementList& kept, Instant now);

    QString m_cacheDirectory;
    QString m_origin;
    const Clock& m_clock;
    PortalClient m_client;
    AnnouncementCache m_cache;
    PollRecorder m_recorder;
    PollRequest m_request; // the poll in progress, for an archive made anew
    AnnouncementList m_kept;
    bool m_keptLoaded = false;
    bool m_keptFromArchive = false; // no cache file at the start: the archive's recent records
    std::atomic<bool> m_networkOnline{true};
    std::atomic<bool> m_discard{false};
    std::atomic<bool> m_stopping{false};

    // The issuer file as last read or written here; read again only when it changed on disk.
    std::optional<IssuerDirectory> m_issuers;
    QDateTime m_issuersModified;
    qint64 m_issuersSize = -1;
};
