#pragma once

#include "outputs/DeliveryRunner.h"

#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

class Clock;

// The outbox's deliveries of a long-running process (the tray program, `watch`), on a thread of their
// own so a slow receiver never holds up the interface or a poll: a run after each poll, and another
// when the next retry falls due (timed by the injected clock). `zelvora poll` uses it too, waiting a
// bounded time for its run.
class OutboxService : public QObject
{
    Q_OBJECT
public:
    OutboxService(QString cacheDirectory, QString settingsFile, const QString& teller, const Clock& clock);
    // Lets the delivery in flight end (its sender's time-out bounds it), then ends the thread.
    ~OutboxService() override;

    // Any thread: a run soon (one asked for while one runs follows it).
    void deliver();
    // No further delivery is claimed; the one in flight ends.
    void stop() { m_stopping = true; }

Q_SIGNALS:
    void refused(const QString& output, const QString& detail);
    void delivered(const QString& output);
    // A run ended (on the service's thread's side: connect with a context object).
    void ran(int delivered, int retried);

private:
    void runNow(); // on m_thread

    const Clock& m_clock;
    QThread m_thread;
    std::unique_ptr<DeliveryRunner> m_runner; // used on m_thread only
    QObject* m_context = nullptr;             // lives on m_thread: queued runs and the retry timer
    QTimer* m_retry = nullptr;
    std::atomic<bool> m_stopping{false};
};
