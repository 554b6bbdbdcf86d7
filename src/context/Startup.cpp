#include "context/Startup.h"

#include "fetch/AnnouncementFetcher.h"
#include "fetch/PortalOrigin.h"
#include "fetch/WakeUpPolling.h"
#include "notify/MorningDigestSchedule.h"
#include "notify/NotificationManager.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QDBusConnection>

namespace {
const QString kDemo = QStringLiteral("demo");
const QString kPortal = QStringLiteral("portal");
} // namespace

QList<QCommandLineOption> Startup::options()
{
    return {{kDemo, QStringLiteral("Run against the built-in portal simulator, in a temporary folder")},
            {kPortal, QStringLiteral("Use this portal (scheme://host[:port]) instead of the exchange's"),
             QStringLiteral("ORIGIN")}};
}

Startup::Startup(AppEnvironment environment)
    : m_environment(std::move(environment)), m_demo(m_environment.demoPortal, m_environment.demoHome)
{
}

Startup::~Startup() = default;

std::optional<Startup::Failure> Startup::open(const QCommandLineParser& parsed, const QString& teller)
{
    AppEnvironment environment = m_environment;
    if (parsed.isSet(kPortal)) {
        const QString value = parsed.value(kPortal);
        const std::optional<QString> origin = PortalOrigin::normalise(value);
        if (!origin)
            return Failure{
                true,
                QStringLiteral("'%1' is not an http or https origin (scheme://host[:port])").arg(value)};
        environment.portalOrigin = *origin;
    }
    if (parsed.isSet(kDemo)) {
        QString error;
        if (!m_demo.start(environment.paths, &error))
            return Failure{false, error};
        m_demoRunning = true;
        environment.paths = m_demo.paths();
        environment.portalOrigin = m_demo.origin();
    }
    m_context = std::make_unique<AppContext>(std::move(environment), teller);
    return std::nullopt;
}

QString Startup::demoBanner() const
{
    return m_demoRunning ? m_demo.banner() : QString();
}

void Startup::prepareRelaunch()
{
    if (m_demoRunning)
        m_demo.handOver();
}

void Startup::keepWatching(std::function<void()> stopping)
{
    m_termination = std::make_unique<TerminationSignals>();
    QObject::connect(m_termination.get(), &TerminationSignals::terminationRequested,
                     QCoreApplication::instance(), [stopping = std::move(stopping)](int) {
                         if (stopping)
                             stopping();
                         QCoreApplication::quit();
                     });
    AnnouncementFetcher& fetcher = m_context->fetcher();
    m_wakeUps = std::make_unique<WakeUpPolling>(fetcher, QDBusConnection::systemBus());
    m_wakeUps->watchSystemNetwork();
    // Checked after every poll, so a digest missed while the program was off comes with the kept list.
    m_digests = std::make_unique<MorningDigestSchedule>(
        m_context->preferences(), m_context->clock(), [&fetcher] { return fetcher.announcements(); },
        m_context->paths().uiStateFile());
    QObject::connect(&fetcher, &AnnouncementFetcher::pollFinished, m_digests.get(),
                     &MorningDigestSchedule::check, Qt::QueuedConnection);
    QObject::connect(m_digests.get(), &MorningDigestSchedule::due, m_digests.get(),
                     [this](const MorningDigest& digest) { m_context->notifications().sendDigest(digest); });
}
