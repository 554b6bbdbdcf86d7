#include "infra/HttpClient.h"

#include <QMetaObject>
#include <QUrl>
#include <array>
#include <curl/curl.h>
#include <memory>

namespace {

const QString kCancelled = QStringLiteral("Request cancelled");

// The cookie jar shared by the clients that ask for it (the portal's firewall sets cookies that it
// expects back). libcurl asks for a lock per kind of shared data.
std::array<std::mutex, CURL_LOCK_DATA_LAST> s_shareLocks;

void lockShare(CURL*, curl_lock_data data, curl_lock_access, void*)
{
    s_shareLocks[static_cast<std::size_t>(data)].lock();
}

void unlockShare(CURL*, curl_lock_data data, void*)
{
    s_shareLocks[static_cast<std::size_t>(data)].unlock();
}

// libcurl's process-wide set-up and the shared cookie jar, made once by the first client.
CURLSH* cookieShare()
{
    static CURLSH* const share = [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return static_cast<CURLSH*>(nullptr);
        CURLSH* made = curl_share_init();
        curl_share_setopt(made, CURLSHOPT_LOCKFUNC, lockShare);
        curl_share_setopt(made, CURLSHOPT_UNLOCKFUNC, unlockShare);
        curl_share_setopt(made, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        return made;
    }();
    return share;
}

struct HeaderList
{
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
};

} // namespace

HttpClient::HttpClient(Options options, QObject* parent) : QObject(parent), m_options(std::move(options))
{
    if (cookieShare()) {
        m_easy = curl_easy_init();
        m_multi = curl_multi_init();
    }
}

HttpClient::~HttpClient()
{
    {
        std::lock_guard lock(m_queueMutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_queueChanged.notify_all();
    cancel();
    if (m_worker.joinable())
        m_worker.join();
    if (m_multi)
        curl_multi_cleanup(m_multi);
    if (m_easy)
        curl_easy_cleanup(m_easy);
}

bool HttpClient::isValidUrl(const QByteArray& url)
{
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.constData(), 0) != CURLUE_OK)
        return false;
    char* scheme = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK)
        return false;
    const QByteArray text(scheme);
    curl_free(scheme);
    return text == "http" || text == "https";
}

QByteArray HttpClient::Response::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

void HttpClient::cancel()
{
    m_cancelled.store(true);
    if (m_multi)
        curl_multi_wakeup(m_multi); // a transfer waiting for the network looks at the flag at once
}

void HttpClient::start(Request request, Callback done)
{
    {
        std::lock_guard lock(m_queueMutex);
        if (m_stopping)
            return;
        m_queue.push_back({std::move(request), std::move(done)});
        if (!m_worker.joinable())
            m_worker = std::thread([this] { workLoop(); });
    }
    m_queueChanged.notify_one();
}

void HttpClient::workLoop()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_queueMutex);
            m_queueChanged.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Result result = run(job.request);
        {
            // Handed over under the mutex, so the caller's thread sees the whole result.
            std::lock_guard lock(m_queueMutex);
            if (m_stopping)
                return;
            m_finished.push_back({std::move(job.done), std::move(result)});
        }
        QMetaObject::invokeMethod(this, &HttpClient::deliverFinished, Qt::QueuedConnection);
    }
}

void HttpClient::deliverFinished()
{
    std::deque<Finished> finished;
    {
        std::lock_guard lock(m_queueMutex);
        finished.swap(m_finished);
    }
    for (const Finished& each : finished) {
        if (each.done)
            each.done(each.result);
    }
}

size_t HttpClient::write(char* data, size_t size, size_t count, void* self)
{
    auto* client = static_cast<HttpClient*>(self);
    const size_t bytes = size * count;
    // CURLOPT_MAXFILESIZE cannot stop a transfer of unknown or compressed length, so the cap is here.
    if (client->m_body.size() + static_cast<qint64>(bytes) > client->m_options.maxBodyBytes) {
        client->m_overCap = true;
        return 0;
    }
    client->m_body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

bool HttpClient::mayFollow(const QByteArray& from, const QByteArray& to, Redirects policy)
{
    if (policy == Redirects::None || !isValidUrl(to))
        return false;
    const QUrl source(QString::fromUtf8(from));
    const QUrl target(QString::fromUtf8(to));
    const QString scheme = target.scheme().toLower();
    if (source.scheme().toLower() == QLatin1String("https") && scheme != QLatin1String("https"))
        return false; // what TLS protected would travel in the clear
    if (policy == Redirects::AnyWebAddress)
        return true;
    const auto port = [](const QUrl& url) {
        return url.port(url.scheme().toLower() == QLatin1String("https") ? 443 : 80);
    };
    return scheme == source.scheme().toLower() &&
           target.host().compare(source.host(), Qt::CaseInsensitive) == 0 && port(target) == port(source);
}

int HttpClient::perform(const QByteArray& url, bool post, const QByteArray& method, const QByteArray& body,
                        void* headers, char* errorText)
{
    m_body.clear();
    m_overCap = false;
    CURL* curl = m_easy;
    curl_easy_reset(curl); // keeps the open connections, drops the previous request's options
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed here, one hop at a time, so each hop's target can be judged first.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (post || !method.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        if (!method.isEmpty())
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.constData());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, body.constData());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(headers));
    if (!m_options.userAgent.isEmpty())
        curl_easy_setopt(curl, CURLOPT_USERAGENT, m_options.userAgent.constData());
    if (!m_options.acceptEncoding.isEmpty())
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, m_options.acceptEncoding.constData());
    if (m_options.sharedCookies) {
        curl_easy_setopt(curl, CURLOPT_SHARE, cookieShare());
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, ""); // cookie engine on, nothing read from disk
    }
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, m_options.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &HttpClient::write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    curl_multi_add_handle(m_multi, curl);
    const CURLcode code = [this] {
        for (;;) {
            int running = 0;
            curl_multi_perform(m_multi, &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
                if (message->msg == CURLMSG_DONE)
                    return message->data.result;
            }
            if (m_cancelled.load())
                return CURLE_ABORTED_BY_CALLBACK;
            curl_multi_poll(m_multi, nullptr, 0, 1000, nullptr);
        }
    }();
    curl_multi_remove_handle(m_multi, curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    // Frees the cookie file list of CURLOPT_COOKIEFILE, which curl_easy_reset would leak; the cookies
    // stay in the share.
    if (m_options.sharedCookies)
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, nullptr);
    return code;
}

HttpClient::Result HttpClient::run(const Request& request)
{
    std::lock_guard transfer(m_transferMutex);
    if (m_cancelled.load())
        return kCancelled;
    if (!m_easy || !m_multi)
        return QStringLiteral("The HTTP client could not be created");

    HeaderList headers;
    for (const QByteArray& header : request.headers)
        headers.list = curl_slist_append(headers.list, header.constData());
    headers.list = curl_slist_append(headers.list, "Expect:"); // no "Expect: 100-continue" of curl's own

    QByteArray url = request.url;
    bool post = request.post;
    QByteArray method = request.method;
    for (int hops = 0;; ++hops) {
        char errorText[CURL_ERROR_SIZE] = {};
        const auto code =
            static_cast<CURLcode>(perform(url, post, method, request.body, headers.list, errorText));
        if (code != CURLE_OK) {
            m_body.clear();
            if (m_overCap)
                return QStringLiteral("The response body exceeds the limit of %1 bytes")
                    .arg(m_options.maxBodyBytes);
            if (code == CURLE_ABORTED_BY_CALLBACK)
                return kCancelled;
            return errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(code));
        }
        Response response;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &response.status);
        const char* location = nullptr;
        curl_easy_getinfo(m_easy, CURLINFO_REDIRECT_URL, &location);
        const bool redirect = m_options.redirects != Redirects::None && location && *location &&
                              response.status >= 300 && response.status <= 399;
        if (!redirect) {
            // -1: the last request of this transfer.
            for (curl_header* header = nullptr;
                 (header = curl_easy_nextheader(m_easy, CURLH_HEADER, -1, header)) != nullptr;)
                response.headers.append({QByteArray(header->name), QByteArray(header->value)});
            response.body = std::move(m_body);
            m_body = QByteArray();
            return response;
        }
        m_body.clear();
        const QByteArray next(location);
        if (hops == kMaxRedirects)
            return QStringLiteral("Stopped after %1 redirects").arg(kMaxRedirects);
        if (!mayFollow(url, next, m_options.redirects))
            return QStringLiteral("Refused a redirect to %1")
                .arg(QUrl(QString::fromUtf8(next))
                         .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                                   QUrl::RemoveUserInfo)
                         .toString()
                         .left(200));
        // As browsers do: 307 and 308 repeat the request, the others fetch the new address.
        if (response.status != 307 && response.status != 308) {
            post = false;
            method.clear();
        }
        url = next;
    }
}
