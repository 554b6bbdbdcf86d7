#pragma once

#include "fetch/AnnouncementCache.h"
#include "fetch/FeedFetcher.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/PortalClient.h"
#include "fetch/ThreadHop.h"

#include <QDateTime>
#include <QMutex>
#include <QObject>
#include <QThread>
#include <atomic>
#include <optional>

// What one poll's fetch brought from the two feeds.
struct FeedResults
{
    FetchResult issuer;
    FetchResult market;
};

// The fetcher's worker thread and what runs on it, one job at a time: both feeds through the HTTP
// client, and the cache and issuer files.
//
// The cache file is also deleted from the owner's thread at a restart of polling, so its reads and
// writes are guarded by a mutex and a generation number: a save prepared before a restart is dropped
// instead of bringing the old list back.
class FetchWorker
{
public:
    FetchWorker(QString cacheDirectory, QString portalOrigin, const Clock& clock, long requestTimeoutMs);
    // Cancels a transfer in flight and waits for the thread.
    ~FetchWorker();
    FetchWorker(const FetchWorker&) = delete;
    FetchWorker& operator=(const FetchWorker&) = delete;

    // Queues `job` on the worker thread.
    template <typename Job> void run(Job job) { postTo(&m_context, std::move(job)); }

    // Worker thread: one poll's requests, both feeds in the given language.
    FeedResults fetchFeeds(const QString& language);
    // Worker thread: the cache file's recent entries, unless the cache was discarded since `generation`.
    std::optional<AnnouncementList> load(Instant now, int generation) const;
    // Worker thread: writes the kept list (unless discarded since `generation`) and learns its issuers.
    void store(const AnnouncementList& kept, Instant now, int generation);

    // Any thread.
    int generation() const;
    // Waits at most for a write in progress.
    void discardCache();
    QString cacheFilePath() const { return m_cache.cacheFilePath(); }
    // While the network is gone, failing feeds are not logged poll after poll.
    void setNetworkOnline(bool online) { m_networkOnline = online; }

private:
    void learnIssuers(const AnnouncementList& kept, Instant now);

    QString m_cacheDirectory;
    QString m_origin;
    const Clock& m_clock;
    PortalClient m_client;
    AnnouncementCache m_cache;
    mutable QMutex m_cacheMutex;
    int m_generation = 0;
    std::atomic<bool> m_networkOnline{true};

    // The issuer file as last read or written here; read again only when it changed on disk.
    std::optional<IssuerDirectory> m_issuers;
    QDateTime m_issuersModified;
    qint64 m_issuersSize = -1;

    QThread m_thread;
    QObject m_context; // lives on m_thread: the target of queued jobs
};
