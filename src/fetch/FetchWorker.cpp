#include "fetch/FetchWorker.h"

#include "infra/LogCategories.h"

#include <QDir>
#include <QFileInfo>

FetchWorker::FetchWorker(QString cacheDirectory, QString portalOrigin, const Clock& clock,
                         long requestTimeoutMs)
    : m_cacheDirectory(std::move(cacheDirectory)), m_origin(std::move(portalOrigin)), m_clock(clock),
      m_client(PortalClient::Options{requestTimeoutMs}), m_cache(m_cacheDirectory)
{
    m_thread.setObjectName(QStringLiteral("AnnouncementFetcher"));
    m_context.moveToThread(&m_thread);
    m_thread.start();
}

FetchWorker::~FetchWorker()
{
    m_client.cancel();
    m_thread.quit();
    m_thread.wait();
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

int FetchWorker::generation() const
{
    QMutexLocker lock(&m_cacheMutex);
    return m_generation;
}

std::optional<AnnouncementList> FetchWorker::load(Instant now, int generation) const
{
    QMutexLocker lock(&m_cacheMutex);
    if (generation != m_generation)
        return std::nullopt;
    return m_cache.load(now);
}

void FetchWorker::store(const AnnouncementList& kept, Instant now, int generation)
{
    {
        QMutexLocker lock(&m_cacheMutex);
        if (generation == m_generation)
            m_cache.save(kept, now);
    }
    // The issuer directory outlives restarts and the 30-day window: it is never discarded.
    learnIssuers(kept, now);
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

void FetchWorker::discardCache()
{
    QMutexLocker lock(&m_cacheMutex);
    ++m_generation;
    m_cache.remove();
}
