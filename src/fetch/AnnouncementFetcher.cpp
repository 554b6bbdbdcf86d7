#include "fetch/AnnouncementFetcher.h"

#include "fetch/FetchWorker.h"
#include "fetch/KeptList.h"
#include "infra/LogCategories.h"
#include "model/Preferences.h"

#include <QDir>
#include <QFileInfo>

AnnouncementFetcher::AnnouncementFetcher(Preferences& preferences, const Clock& clock, Options options,
                                         QObject* parent)
    : QObject(parent), m_preferences(preferences), m_clock(clock), m_origin(options.portalOrigin),
      m_schedule(clock), m_worker(std::make_unique<FetchWorker>(std::move(options.cacheDirectory),
                                                                std::move(options.portalOrigin), clock,
                                                                options.requestTimeoutMs))
{
    qRegisterMetaType<AnnouncementsUpdate>();
    connect(&m_schedule, &PollSchedule::due, this, &AnnouncementFetcher::poll);
    m_pollStatus = PollStatus::load(pollStatusFile());
}

AnnouncementFetcher::~AnnouncementFetcher() = default;

QString AnnouncementFetcher::cacheFilePath() const
{
    return m_worker->cacheFilePath();
}

QString AnnouncementFetcher::pollStatusFile() const
{
    return QFileInfo(cacheFilePath()).dir().filePath(PollStatus::kFileName);
}

void AnnouncementFetcher::setNetworkOnline(bool online)
{
    m_worker->setNetworkOnline(online);
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
    m_worker->run([this, generation, now] {
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
    m_worker->run([this, language = m_preferences.language()] {
        postTo(this, [this, results = m_worker->fetchFeeds(language)] { afterFetch(results); });
    });
}

void AnnouncementFetcher::afterFetch(const FeedResults& results)
{
    recordPollStatus(results);
    if (!results.issuer.ok() && !results.market.ok()) {
        finishPoll({{}, announcements(), true, {}});
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
    const int generation = m_worker->generation();
    m_worker->run([this, kept, now, generation, results] {
        m_worker->store(kept, now, generation);
        postTo(this, [this, kept, results] { afterSave(kept, results); });
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

void AnnouncementFetcher::afterSave(const AnnouncementList& kept, const FeedResults& results)
{
    const auto answer = [](const FetchResult& result) {
        return result.ok() ? std::optional(result.records) : std::nullopt;
    };
    SeenPolicy::Poll judged;
    judged.kept = kept;
    judged.issuer = answer(results.issuer);
    judged.market = answer(results.market);
    judged.now = m_clock.now();
    judged.lastPollDate = m_preferences.lastPollDate();
    judged.pollInterval = m_preferences.pollInterval();
    m_preferences.setLastPollDate(judged.now);
    judged.seen = m_preferences.seenAnnouncementIDs();
    const SeenPolicy::Verdict verdict = m_seen.judge(judged);
    // All identifiers in one settings write, never dropping a kept one from the seen set.
    if (!verdict.markSeen.isEmpty()) {
        QSet<QString> keep;
        keep.reserve(kept.size());
        for (const Announcement& record : kept)
            keep.insert(record.id());
        m_preferences.markAsSeen(verdict.markSeen, keep);
    }
    finishPoll({verdict.newAnnouncements, kept, false, {}});
}

void AnnouncementFetcher::finishPoll(AnnouncementsUpdate update)
{
    update.status = m_pollStatus;
    m_pollActive = false;
    Q_EMIT pollFinished(update);
}

void AnnouncementFetcher::startPolling()
{
    if (handedOver(&AnnouncementFetcher::startPolling))
        return;
    m_schedule.start(m_preferences.pollInterval());
}

void AnnouncementFetcher::wakeUp()
{
    if (handedOver(&AnnouncementFetcher::wakeUp))
        return;
    m_schedule.wakeUp(m_preferences.pollInterval());
}

bool AnnouncementFetcher::handedOver(void (AnnouncementFetcher::*operation)())
{
    if (QThread::currentThread() == thread())
        return false;
    postTo(this, [this, operation] { (this->*operation)(); });
    return true;
}

void AnnouncementFetcher::restartPolling()
{
    if (handedOver(&AnnouncementFetcher::restartPolling))
        return;
    m_schedule.stop();
    setAnnouncements({});
    m_seen.setFirstPoll(false);
    m_worker->discardCache();
    startPolling();
}
