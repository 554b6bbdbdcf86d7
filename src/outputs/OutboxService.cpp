#include "outputs/OutboxService.h"

#include "infra/Clock.h"
#include "outputs/RetrySchedule.h"

#include <algorithm>

OutboxService::OutboxService(QString cacheDirectory, QString settingsFile, const QString& teller,
                             const Clock& clock)
    : m_clock(clock),
      m_runner(std::make_unique<DeliveryRunner>(std::move(cacheDirectory), std::move(settingsFile),
                                                DeliveryRunner::newClaimer(teller), clock))
{
    m_thread.setObjectName(QStringLiteral("Outbox"));
    m_context = new QObject;
    m_retry = new QTimer(m_context);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, m_context, [this] { runNow(); });
    m_context->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_context, &QObject::deleteLater);
}

OutboxService::~OutboxService()
{
    m_stopping = true;
    if (m_thread.isRunning()) {
        m_thread.quit();
        m_thread.wait();
    } else {
        delete m_context;
    }
}

void OutboxService::deliver()
{
    if (m_stopping)
        return;
    // Started at the first run: a process without outputs never has the thread.
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(
        m_context, [this] { runNow(); }, Qt::QueuedConnection);
}

void OutboxService::runNow()
{
    m_retry->stop();
    const DeliveryRunner::Report report = m_runner->run([this] { return m_stopping.load(); });
    for (const auto& [output, detail] : report.refusals)
        Q_EMIT refused(output, detail);
    for (const QString& output : report.deliveredTo)
        Q_EMIT delivered(output);
    if (report.nextDue && !m_stopping) {
        // At least the first pause, so a delivery another process holds is not asked for in a loop.
        const double seconds =
            std::clamp(report.nextDue->referenceSeconds() - m_clock.now().referenceSeconds(),
                       RetrySchedule::kFirstPause, RetrySchedule::kLongestPause);
        m_retry->start(int(seconds * 1000));
    }
    Q_EMIT ran(report.delivered, report.retried);
}
