#pragma once

#include <QByteArray>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

typedef void CURLM;

// Fire-and-forget HTTP POSTs on one background thread (a libcurl multi loop). Posting never waits;
// at most kMaxInFlight requests are queued or running at once, and a post beyond that is dropped,
// so a dead or silent server costs neither threads nor memory. Answers are never read.
class TelemetrySender
{
public:
    static constexpr int kMaxInFlight = 8;
    static constexpr long kTimeoutSeconds = 60;

    TelemetrySender();
    ~TelemetrySender(); // abandons what is still in flight
    TelemetrySender(const TelemetrySender&) = delete;
    TelemetrySender& operator=(const TelemetrySender&) = delete;

    // False when the request was dropped (too many in flight).
    bool post(const QByteArray& url, const QByteArray& jsonBody);

    int inFlight() const { return m_inFlight.load(); }
    int dropped() const { return m_dropped.load(); }

private:
    struct Job
    {
        QByteArray url;
        QByteArray body;
    };

    void run();
    void* startJob(const Job& job); // the easy handle, or null when it could not start

    CURLM* m_multi = nullptr;
    std::mutex m_mutex; // guards m_incoming and the thread's start
    std::deque<Job> m_incoming;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_inFlight{0};
    std::atomic<int> m_dropped{0};
};
