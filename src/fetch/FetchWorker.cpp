#include "fetch/FetchWorker.h"

#include "fetch/KeptList.h"
#include "infra/LogCategories.h"

#include <QDir>
#include <QFileInfo>

FetchWorker::FetchWorker(QString cacheDirectory, QString portalOrigin, QString teller, const Clock& clock,
                         long requestTimeoutMs)
    : m_cacheDirectory(std::move(cacheDirectory)), m_origin(std::move(portalOrigin)), m_clock(clock),
      m_client(PortalClient::Options{requestTimeoutMs}), m_cache(m_cacheDirectory),
      m_recorder(m_cacheDirectory, std::move(teller), [this] {
          return PollRecorder::Previous{m_cache.load(m_clock.now()).value_or(AnnouncementList()),
                                        m_request.seen, m_request.lastPollDate};
      })
{
}

FetchWorker::~FetchWorker()
{
    m_recorder.flush(m_clock.now());
}

FeedResults FetchWorker::fetchFeeds(const QString& language)
{
    FeedFetcher feeds(m_client, m_origin, m_clock);
    const auto logged = [this](const QString& feed, FetchResult result) {
        if (!result.ok() && m_networkOnline.load())
            qCInfo(lcFetcher, "%s error: %s", qUtf8Printable(feed),
                   qUtf8Printable(result.error->description()));
        return result;
    };
    FeedResults results;
    results.issuer = logged(QStringLiteral("Issuer announcements"), feeds.fetchIssuerAnnouncements(language));
    results.market = logged(QStringLiteral("Market news"), feeds.fetchMarketNews(language));
    return results;
}

void FetchWorker::runPoll(const PollRequest& request)
{
    m_request = request;
    discardIfAsked();
    if (!m_keptLoaded) {
        const std::optional<AnnouncementList> cached = m_cache.load(m_clock.now());
        m_kept = cached.value_or(AnnouncementList());
        m_keptFromArchive = !cached;
        m_keptLoaded = true;
    }
    PollOutcome outcome;
    outcome.results = fetchFeeds(request.language);
    outcome.at = m_clock.now();
    if (m_stopping)
        return;
    if (!outcome.results.issuer.ok() && !outcome.results.market.ok()) {
        discardIfAsked();
        outcome.kept = m_kept;
        Q_EMIT pollDone(outcome);
        return;
    }
    QList<AnnouncementArchive::Record> fetched;
    QSet<QString> answered;
    for (const auto& [feed, result] : {std::pair(QStringLiteral("tadawul"), &outcome.results.issuer),
                                       std::pair(QStringLiteral("market"), &outcome.results.market)}) {
        if (result->ok())
            answered.insert(feed);
        for (const Announcement& announcement : result->records)
            fetched.append({announcement, feed, request.language});
    }
    PollRecorder::Outcome recorded =
        m_recorder.record(fetched, answered, outcome.at, request.language, request.hold, request.route);
    // Without its cache file a new run starts from the archive's recent records.
    if (m_keptFromArchive) {
        m_keptFromArchive = false;
        m_kept = m_recorder.recent(outcome.at.addSeconds(-AnnouncementCache::kRetentionSeconds),
                                   KeptList::kCapacity);
    }
    outcome.toTell = std::move(recorded.toTell);
    outcome.released = std::move(recorded.released);
    outcome.held = recorded.held;
    outcome.since = recorded.since;
    outcome.storageProblem = std::move(recorded.problem);

    discardIfAsked();
    m_kept =
        KeptList::merge(outcome.results.issuer.records + outcome.results.market.records, m_kept, outcome.at);
    if (QString error; !m_cache.save(m_kept, outcome.at, &error))
        outcome.copyProblem = QStringLiteral("Can't save to %1: %2").arg(m_cache.cacheFilePath(), error);
    // The issuer directory outlives restarts and the 30-day window: it is never discarded.
    learnIssuers(m_kept, outcome.at);
    m_recorder.releaseMemory();
    outcome.kept = m_kept;
    Q_EMIT pollDone(outcome);
}

void FetchWorker::discardKept()
{
    m_discard = true;
    m_cache.remove();
}

void FetchWorker::discardIfAsked()
{
    if (!m_discard.exchange(false))
        return;
    m_kept.clear();
    m_keptLoaded = true;
    m_keptFromArchive = false;
    m_cache.remove(); // a poll in flight may have written it since
}

void FetchWorker::learnIssuers(const AnnouncementList& kept, Instant now)
{
    // Another process (a `zelvora poll` beside the tray program) may have written the file.
    const auto stamp = [](const QFileInfo& file) { return std::pair(file.lastModified(), file.size()); };
    QFileInfo file(QDir(m_cacheDirectory).filePath(IssuerDirectory::fileName));
    if (!m_issuers || stamp(file) != std::pair(m_issuersModified, m_issuersSize))
        m_issuers.emplace(m_cacheDirectory);
    if (m_issuers->learn(kept, now) && !m_issuers->save()) {
        m_issuers.reset(); // what the file holds is read again, and the names learned again
        return;
    }
    file.refresh();
    std::tie(m_issuersModified, m_issuersSize) = stamp(file);
}
