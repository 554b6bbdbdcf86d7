#include "fetch/AnnouncementFetcher.h"

#include "fetch/KeptList.h"
#include "infra/LogCategories.h"
#include "infra/SettingsStore.h"
#include "model/Preferences.h"
#include "outputs/DeliveryRoute.h"
#include "outputs/OutputStore.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

AnnouncementFetcher::AnnouncementFetcher(Preferences& preferences, const Clock& clock, Options options,
                                         QObject* parent)
    : QObject(parent), m_preferences(preferences), m_clock(clock), m_origin(options.portalOrigin),
      m_schedule(clock),
      m_worker(std::make_unique<FetchWorker>(std::move(options.cacheDirectory),
                                             std::move(options.portalOrigin), std::move(options.teller),
                                             clock, options.requestTimeoutMs))
{
    qRegisterMetaType<AnnouncementsUpdate>();
    qRegisterMetaType<PollRequest>();
    qRegisterMetaType<PollOutcome>();
    m_thread.setObjectName(QStringLiteral("AnnouncementFetcher"));
    m_worker->moveToThread(&m_thread);
    connect(this, &AnnouncementFetcher::pollRequested, m_worker.get(), &FetchWorker::runPoll);
    connect(m_worker.get(), &FetchWorker::pollDone, this, &AnnouncementFetcher::handleOutcome);
    m_thread.start();
    connect(&m_schedule, &PollSchedule::due, this, &AnnouncementFetcher::poll);
    m_pollStatus = PollStatus::load(pollStatusFile());
}

AnnouncementFetcher::~AnnouncementFetcher()
{
    m_worker->cancel();
    m_thread.quit();
    m_thread.wait();
}

QString AnnouncementFetcher::cacheFilePath() const
{
    return m_worker->cacheFilePath();
}

QString AnnouncementFetcher::archiveFilePath() const
{
    return m_worker->archiveFilePath();
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
    Q_EMIT pollRequested({m_preferences.language(), m_preferences.seenAnnouncementIDList(),
                          m_preferences.lastPollDate(), hold(), route()});
}

PollRecorder::Route AnnouncementFetcher::route() const
{
    const QList<OutputConfig> outputs = OutputStore(m_preferences).outputs();
    if (outputs.isEmpty())
        return {};
    const DeliveryRoute route(outputs, m_preferences.ruleSet(), m_preferences.groupNotificationsAbove());
    return [route](const AnnouncementList& fresh) { return route.entries(fresh); };
}

void AnnouncementFetcher::setOutputRefusal(const QString& output, const QString& detail)
{
    if (!m_pollStatus.setOutputRefusal(output, detail))
        return;
    if (!detail.isEmpty())
        qCWarning(lcOutbox, "Output %s refused: %s", qUtf8Printable(output), qUtf8Printable(detail));
    if (!m_pollStatus.save(pollStatusFile()))
        qCInfo(lcFetcher, "Cannot write %s", qUtf8Printable(pollStatusFile()));
}

PollRecorder::Hold AnnouncementFetcher::hold() const
{
    if (!m_preferences.notificationsEnabled())
        return {};
    // Read here, on the owner's thread; the worker only calls the copy.
    const NotificationGate gate = m_preferences.notificationGate();
    const RuleSet rules = m_preferences.ruleSet();
    const Instant now = m_clock.now();
    return [gate, rules, now](const Announcement& announcement) {
        const RuleSet::Decision decision = rules.decide(announcement);
        return decision.notify &&
               gate.judge(announcement, decision.urgent, now) != NotificationGate::Verdict::Deliver;
    };
}

void AnnouncementFetcher::handleOutcome(const PollOutcome& outcome)
{
    recordPollStatus(outcome);
    const bool error = !outcome.results.issuer.ok() && !outcome.results.market.ok();
    setAnnouncements(outcome.kept); // on failure, the list as loaded or kept before
    if (!error)
        writeCompatibilityCopies(outcome);
    m_pollActive = false;
    Q_EMIT pollFinished({error ? AnnouncementList() : outcome.toTell, announcements(), error, m_pollStatus,
                         outcome.since, error ? AnnouncementList() : outcome.released, outcome.held});
}

void AnnouncementFetcher::writeCompatibilityCopies(const PollOutcome& outcome)
{
    // The seen set holds the kept identifiers, so an older version finds nothing new among them; one
    // write for both keys.
    QStringList seen;
    for (const Announcement& announcement : outcome.kept)
        seen.append(announcement.id());
    QString problem = outcome.copyProblem;
    if (!m_preferences.setSeenAndLastPollDate(seen, outcome.at))
        problem = QStringLiteral("Can't save to %1").arg(m_preferences.filePath());
    if (!problem.isEmpty() && problem != m_copyProblem)
        qCInfo(lcFetcher, "%s (the archive keeps what is new)", qUtf8Printable(problem));
    m_copyProblem = problem;
}

void AnnouncementFetcher::recordPollStatus(const PollOutcome& outcome)
{
    const FeedResults& results = outcome.results;
    QList<PollStatus::FeedFailure> failures;
    for (const auto& [feed, result] : {std::pair(QStringLiteral("issuer"), &results.issuer),
                                       std::pair(QStringLiteral("market"), &results.market)}) {
        if (!result->ok())
            failures.append({feed, result->error->description(), result->error->reason()});
    }
    const bool allFailed = failures.size() == 2;
    // Only the start and the end of a long outage are logged; each failed poll has its own lines.
    if (m_pollStatus.record(outcome.at, failures, allFailed)) {
        if (m_pollStatus.state() == PollStatus::State::NotWatching)
            qCInfo(lcFetcher, "Not watching: no feed has answered since %s (%d polls)",
                   qUtf8Printable(m_pollStatus.failingSince()->toDateTime().toString(Qt::ISODate)),
                   int(m_pollStatus.consecutiveFailures()));
        else
            qCInfo(lcFetcher, "Watching again: the portal answers");
    }
    if (!allFailed) {
        const QString before = m_pollStatus.storageProblem();
        if (outcome.storageProblem != before) {
            if (!outcome.storageProblem.isEmpty())
                qCWarning(lcArchive, "%s", qUtf8Printable(outcome.storageProblem));
            else
                qCInfo(lcArchive, "Saved again to %s", qUtf8Printable(archiveFilePath()));
        }
        m_pollStatus.setStorageProblem(outcome.storageProblem);
    }
    // A few hundred bytes, written before the poll ends so a one-shot `zelvora poll` leaves it behind.
    if (!m_pollStatus.save(pollStatusFile()))
        qCInfo(lcFetcher, "Cannot write %s", qUtf8Printable(pollStatusFile()));
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
    QMetaObject::invokeMethod(this, operation, Qt::QueuedConnection);
    return true;
}

void AnnouncementFetcher::restartPolling()
{
    if (handedOver(&AnnouncementFetcher::restartPolling))
        return;
    m_schedule.stop();
    setAnnouncements({});
    m_worker->discardKept();
    startPolling();
}
