#include "fetch/PollSchedule.h"

#include <algorithm>
#include <climits>

PollSchedule::PollSchedule(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock)
{
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_armedAt = m_clock.now();
        Q_EMIT due();
    });
}

void PollSchedule::start(double intervalSeconds)
{
    Q_EMIT due();
    arm(intervalSeconds);
}

void PollSchedule::wakeUp(double intervalSeconds)
{
    Q_EMIT due();
    if (m_timer.isActive())
        arm(intervalSeconds);
}

void PollSchedule::stop()
{
    m_timer.stop();
}

std::optional<Instant> PollSchedule::nextPoll() const
{
    if (!m_timer.isActive())
        return std::nullopt;
    return m_armedAt.addSeconds(m_timer.interval() / 1000.0);
}

void PollSchedule::arm(double intervalSeconds)
{
    const double milliseconds = std::clamp(intervalSeconds * 1000.0, 1.0, static_cast<double>(INT_MAX));
    m_timer.setInterval(static_cast<int>(milliseconds));
    m_armedAt = m_clock.now();
    m_timer.start();
}
