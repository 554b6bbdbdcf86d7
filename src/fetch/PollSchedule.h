#pragma once

#include "infra/Clock.h"

#include <QObject>
#include <QTimer>
#include <optional>

// When to poll: at once when started or woken, then every interval, counted from the last of those.
// It only says when (`due`); a poll already running absorbs a tick.
class PollSchedule : public QObject
{
    Q_OBJECT
public:
    explicit PollSchedule(const Clock& clock, QObject* parent = nullptr);

    // Due at once, then every `intervalSeconds` from now (replacing any earlier schedule).
    void start(double intervalSeconds);
    // After the system woke from sleep or the network came back: due at once and, when running,
    // the next tick `intervalSeconds` (as stored now) from now.
    void wakeUp(double intervalSeconds);
    void stop();

    bool isRunning() const { return m_timer.isActive(); }
    int intervalMs() const { return m_timer.interval(); }
    // The next tick; none when stopped.
    std::optional<Instant> nextPoll() const;

Q_SIGNALS:
    void due();

private:
    void arm(double intervalSeconds);

    const Clock& m_clock;
    QTimer m_timer;
    Instant m_armedAt;
};
