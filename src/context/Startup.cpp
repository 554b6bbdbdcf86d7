#include "context/Startup.h"

#include "fetch/PortalOrigin.h"
#include "fetch/WakeUpPolling.h"
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
    m_wakeUps = std::make_unique<WakeUpPolling>(m_context->fetcher(), QDBusConnection::systemBus());
    m_wakeUps->watchSystemNetwork();
}
