#include "fetch/AnnouncementFetcher.h"

#include "fetch/AnnouncementCache.h"
#include "fetch/FeedFetcher.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/KeptList.h"
#include "fetch/PortalClient.h"
#include "fetch/ThreadHop.h"
#include "infra/LogCategories.h"
#include "model/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <climits>

// Lives on the fetcher's worker thread: the HTTP client and the cache file. The cache file is also
// deleted from the main thread at a restart, so its writes are guarded by a mutex and a generation
// number: a save prepared before a restart is dropped instead of bringing the old list back.
class FetchWorker : public QObject
{
public:
    FetchWorker(QString cacheDirectory, long timeoutMs)
        : m_client(PortalClient::Options{timeoutMs, 32 * 1024 * 1024}),
          m_cacheDirectory(std::move(cacheDirectory)), m_cache(m_cacheDirectory)
    {
    }

    PortalClient& client() { return m_client; }
    const AnnouncementCache& cache() const { return m_cache; }

    int generation() const
    {
        QMutexLocker lock(&m_cacheMutex);
        return m_generation;
    }

    std::optional<AnnouncementList> load(Instant now, int generation) const
    {
        QMutexLocker lock(&m_cacheMutex);
        if (generation != m_generation)
            return std::nullopt;
        return m_cache.load(now);
    }

    void save(const AnnouncementList& list, Instant now, int generation) const
    {
        QMutexLocker lock(&m_cacheMutex);
        if (generation == m_generation)
            m_cache.save(list, now);
        // The issuer directory outlives restarts and the 30-day window: it is never discarded.
        IssuerDirectory issuers(m_cacheDirectory);
        if (issuers.learn(list, now))
            issuers.save();
    }

    // Main thread: waits at most for a write in progress.
    void discardCache()
    {
        QMutexLocker lock(&m_cacheMutex);
        ++m_generation;
        m_cache.remove();
    }

private:
    PortalClient m_client;
    QString m_cacheDirectory;
    AnnouncementCache m_cache;
    mutable QMutex m_cacheMutex;
    int m_generation = 0;
};

struct AnnouncementFetcher::FeedResults
{
    FetchResult issuer;
    FetchResult market;
};

AnnouncementFetcher::AnnouncementFetcher(Preferences& preferences, const Clock& clock, Options options,
                                         QObject* parent)
    : QObject(parent), m_preferences(preferences), m_clock(clock), m_origin(std::move(options.portalOrigin)),
      m_worker(std::make_unique<FetchWorker>(std::move(options.cacheDirectory), options.requestTimeoutMs))
{
    qRegisterMetaType<AnnouncementsUpdate>();
    m_thread.setObjectName(QStringLiteral("AnnouncementFetcher"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    m_pollStatus = PollStatus::load(pollStatusFile());
}

AnnouncementFetcher::~AnnouncementFetcher()
{
    m_worker->client().cancel();
    m_thread.quit();
    m_thread.wait();
}

template <typename Job> void AnnouncementFetcher::onWorker(Job job)
{
    postTo(m_worker.get(), std::move(job));
}

QString AnnouncementFetcher::cacheFilePath() const
{
    return m_worker->cache().cacheFilePath();
}

QString AnnouncementFetcher::pollStatusFile() const
{
    return QFileInfo(cacheFilePath()).dir().filePath(PollStatus::kFileName);
}

AnnouncementList AnnouncementFetcher::announcements() const
{
    QMutexLocker lock(&m_listMutex);
    return m_announcements;
}

void AnnouncementFetcher::setAnnouncements(AnnouncementList announcements)
{
    QMutexLocker lock(&m_listMutex);
    m_announcements = std::move(announcements);
}

std::optional<Announcement> AnnouncementFetcher::announcement(const QString& id) const
{
    return KeptList::find(announcements(), id);
}

void AnnouncementFetcher::poll()
{
    if (handedOver(&AnnouncementFetcher::poll))
        return;
    if (m_pollActive)
        return; // joins the poll in flight
    m_pollActive = true;
    Q_EMIT pollStarted();

    if (!announcements().isEmpty()) {
        afterCacheLoaded();
        return;
    }
    const int generation = m_worker->generation();
    const Instant now = m_clock.now();
    onWorker([this, generation, now] {
        auto loaded = m_worker->load(now, generation);
        postTo(this, [this, loaded = std::move(loaded), generation] {
            // A restart since the load was asked for means the file's contents are to be forgotten.
            if (loaded && generation == m_worker->generation() && announcements().isEmpty())
                setAnnouncements(*loaded);
            afterCacheLoaded();
        });
    });
}

void AnnouncementFetcher::afterCacheLoaded()
{
    const QString language = m_preferences.language();
    onWorker([this, language] {
        FeedFetcher feeds(m_worker->client(), m_origin, m_clock);
        FeedResults results;
        const auto logError = [this](const QString& feed, const FetchResult& result) {
            if (!result.ok() && m_networkOnline.load())
                qCInfo(lcFetcher, "%s error: %s", qUtf8Printable(feed),
                       qUtf8Printable(result.error->description()));
        };
        results.issuer = feeds.fetchIssuerAnnouncements(language);
        logError(QStringLiteral("Issuer announcements"), results.issuer);
        results.market = feeds.fetchMarketNews(language);
        logError(QStringLiteral("Market news"), results.market);
        postTo(this, [this, results] { afterFetch(results); });
    });
}

void AnnouncementFetcher::afterFetch(const FeedResults& results)
{
    recordPollStatus(results);
    if (!results.issuer.ok() && !results.market.ok()) {
        finishPoll({{}, announcements(), true});
        return;
    }
    const AnnouncementList fetched = results.issuer.records + results.market.records;
    const Instant now = m_clock.now();
    AnnouncementList kept;
    {
        QMutexLocker lock(&m_listMutex);
        m_announcements = KeptList::merge(fetched, m_announcements, now);
        kept = m_announcements;
    }
    const QSet<QString> startIds = presentAtStart(results);
    const int generation = m_worker->generation();
    onWorker([this, kept, now, generation, startIds] {
        m_worker->save(kept, now, generation);
        postTo(this, [this, kept, startIds] { afterSave(kept, startIds); });
    });
}

void AnnouncementFetcher::recordPollStatus(const FeedResults& results)
{
    QList<PollStatus::FeedFailure> failures;
    for (const auto& [feed, result] : {std::pair(QStringLiteral("issuer"), &results.issuer),
                                       std::pair(QStringLiteral("market"), &results.market)}) {
        if (!result->ok())
            failures.append({feed, result->error->description(), result->error->reason()});
    }
    const bool allFailed = failures.size() == 2;
    // Only the start and the end of a long outage are logged; each failed poll has its own lines.
    if (m_pollStatus.record(m_clock.now(), failures, allFailed)) {
        if (m_pollStatus.state() == PollStatus::State::NotWatching)
            qCInfo(lcFetcher, "Not watching: no feed has answered since %s (%d polls)",
                   qUtf8Printable(m_pollStatus.failingSince()->toDateTime().toString(Qt::ISODate)),
                   int(m_pollStatus.consecutiveFailures()));
        else
            qCInfo(lcFetcher, "Watching again: the portal answers");
    }
    // A few hundred bytes, written before the poll ends so a one-shot `zelvora poll` leaves it behind.
    if (!m_pollStatus.save(pollStatusFile()))
        qCInfo(lcFetcher, "Cannot write %s", qUtf8Printable(pollStatusFile()));
}

QSet<QString> AnnouncementFetcher::presentAtStart(const FeedResults& results)
{
    QSet<QString> ids;
    if (m_isFirstPoll) {
        // A start within one interval of the last poll (the program relaunches itself for a new
        // language; a quick restart) goes on from that poll: what appeared since is new.
        const Instant now = m_clock.now();
        const std::optional<Instant> lastPoll = m_preferences.lastPollDate();
        const double gap = lastPoll ? now.referenceSeconds() - lastPoll->referenceSeconds() : -1.0;
        m_followsLastRun = lastPoll && gap >= 0 && gap <= m_preferences.pollInterval() + kRestartGraceSeconds;
        m_startedAt = m_followsLastRun ? *lastPoll : now;
        m_issuerMissedFirstPoll = !results.issuer.ok();
        m_marketMissedFirstPoll = !results.market.ok();
        return ids;
    }
    const auto firstAnswer = [this, &ids](const FetchResult& result, bool& missedFirstPoll) {
        if (!missedFirstPoll || !result.ok() || !m_startedAt)
            return;
        missedFirstPoll = false;
        for (const Announcement& announcement : result.records) {
            if (!(*m_startedAt < announcement.pubDate()))
                ids.insert(announcement.id());
        }
    };
    firstAnswer(results.issuer, m_issuerMissedFirstPoll);
    firstAnswer(results.market, m_marketMissedFirstPoll);
    return ids;
}

void AnnouncementFetcher::afterSave(const AnnouncementList& kept, const QSet<QString>& presentAtStart)
{
    m_preferences.setLastPollDate(m_clock.now());
    const QSet<QString> seen = m_preferences.seenAnnouncementIDs();
    AnnouncementsUpdate update;
    update.all = kept;
    QStringList unseen;
    for (const Announcement& announcement : kept) {
        if (seen.contains(announcement.id()))
            continue;
        const bool leftOutBefore = m_fullListHorizon && !(*m_fullListHorizon < announcement.pubDate());
        const bool afterStart = !m_isFirstPoll || (m_followsLastRun && *m_startedAt < announcement.pubDate());
        if (afterStart && !leftOutBefore && !presentAtStart.contains(announcement.id()))
            update.newAnnouncements.append(announcement);
        unseen.append(announcement.id());
    }
    if (kept.size() >= KeptList::kCapacity &&
        (!m_fullListHorizon || *m_fullListHorizon < kept.last().pubDate()))
        m_fullListHorizon = kept.last().pubDate();
    markAsSeen(unseen, update);
}

// All identifiers in one settings write: the same result as marking them one by one, without
// rewriting the settings file up to 500 times in a row.
void AnnouncementFetcher::markAsSeen(const QStringList& ids, const AnnouncementsUpdate& update)
{
    if (!ids.isEmpty()) {
        QSet<QString> keep;
        keep.reserve(update.all.size());
        for (const Announcement& announcement : update.all)
            keep.insert(announcement.id());
        m_preferences.markAsSeen(ids, keep);
    }
    m_isFirstPoll = false;
    finishPoll(update);
}

void AnnouncementFetcher::finishPoll(const AnnouncementsUpdate& polled)
{
    AnnouncementsUpdate update = polled;
    update.status = m_pollStatus;
    m_pollActive = false;
    Q_EMIT pollFinished(update);
}

void AnnouncementFetcher::startPolling()
{
    if (handedOver(&AnnouncementFetcher::startPolling))
        return;
    poll();
    armTimer();
}

void AnnouncementFetcher::wakeUp()
{
    if (handedOver(&AnnouncementFetcher::wakeUp))
        return;
    poll();
    if (m_timer)
        armTimer();
}

bool AnnouncementFetcher::handedOver(void (AnnouncementFetcher::*operation)())
{
    if (QThread::currentThread() == thread())
        return false;
    postTo(this, [this, operation] { (this->*operation)(); });
    return true;
}

void AnnouncementFetcher::armTimer()
{
    const double seconds = m_preferences.pollInterval();
    const double milliseconds = std::clamp(seconds * 1000.0, 1.0, static_cast<double>(INT_MAX));
    auto* timer = new QTimer(this);
    timer->setInterval(static_cast<int>(milliseconds));
    // The timer's action holds the fetcher weakly: a timer alone never keeps it alive.
    connect(timer, &QTimer::timeout, timer, [fetcher = QPointer<AnnouncementFetcher>(this)] {
        if (fetcher)
            fetcher->poll();
    });
    stopTimer();
    m_timer = timer;
    timer->start();
}

void AnnouncementFetcher::stopTimer()
{
    if (m_timer) {
        m_timer->stop();
        m_timer->deleteLater(); // it may be the one whose tick is being delivered
        m_timer = nullptr;
    }
}

void AnnouncementFetcher::restartPolling()
{
    if (handedOver(&AnnouncementFetcher::restartPolling))
        return;
    stopTimer();
    setAnnouncements({});
    m_isFirstPoll = false;
    m_worker->discardCache();
    startPolling();
}
