#include "telemetry/TelemetrySender.h"

#include "platform/CurlGlobal.h"

#include <algorithm>
#include <curl/curl.h>
#include <vector>

namespace {
size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// Owned by the easy handle (CURLOPT_PRIVATE) until the transfer ends.
struct Transfer
{
    curl_slist* headers = nullptr;
};

void finish(CURLM* multi, CURL* easy)
{
    Transfer* transfer = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &transfer);
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    if (transfer) {
        curl_slist_free_all(transfer->headers);
        delete transfer;
    }
}
} // namespace

TelemetrySender::TelemetrySender()
{
    if (CurlGlobal::initialise())
        m_multi = curl_multi_init();
}

TelemetrySender::~TelemetrySender()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
    }
    if (m_multi)
        curl_multi_wakeup(m_multi);
    if (m_thread.joinable())
        m_thread.join();
    if (m_multi)
        curl_multi_cleanup(m_multi);
}

bool TelemetrySender::post(const QByteArray& url, const QByteArray& jsonBody)
{
    if (!m_multi)
        return false;
    {
        std::lock_guard lock(m_mutex);
        if (m_stop.load() || m_inFlight.load() >= kMaxInFlight) {
            m_dropped.fetch_add(1);
            return false;
        }
        m_inFlight.fetch_add(1);
        m_incoming.push_back({url, jsonBody});
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    curl_multi_wakeup(m_multi);
    return true;
}

void* TelemetrySender::startJob(const Job& job)
{
    CURL* easy = curl_easy_init();
    if (!easy) {
        m_inFlight.fetch_sub(1);
        return nullptr;
    }
    auto* transfer = new Transfer;
    transfer->headers = curl_slist_append(nullptr, "Content-Type: application/json");
    transfer->headers = curl_slist_append(transfer->headers, "Expect:");
    curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer);
    curl_easy_setopt(easy, CURLOPT_URL, job.url.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(job.body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, job.body.constData());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
    if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
        finish(m_multi, easy);
        m_inFlight.fetch_sub(1);
        return nullptr;
    }
    return easy;
}

void TelemetrySender::run()
{
    std::vector<CURL*> active;
    while (!m_stop.load()) {
        std::deque<Job> jobs;
        {
            std::lock_guard lock(m_mutex);
            jobs.swap(m_incoming);
        }
        for (const Job& job : jobs) {
            if (CURL* easy = startJob(job))
                active.push_back(easy);
        }

        int running = 0;
        curl_multi_perform(m_multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            CURL* easy = message->easy_handle;
            active.erase(std::remove(active.begin(), active.end(), easy), active.end());
            finish(m_multi, easy);
            m_inFlight.fetch_sub(1);
        }
        curl_multi_poll(m_multi, nullptr, 0, 1000, nullptr);
    }
    // Stopping: whatever is still running is abandoned.
    for (CURL* easy : active)
        finish(m_multi, easy);
}
