#include "fetch/PortalClient.h"

#include "platform/CurlGlobal.h"

#include <array>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace {

// One cookie jar for the process, shared by every client (the portal's firewall sets cookies that it
// expects back). libcurl asks for a lock per kind of shared data.
std::array<std::mutex, CURL_LOCK_DATA_LAST> s_shareLocks;
CURLSH* s_share = nullptr;

void lockShare(CURL*, curl_lock_data data, curl_lock_access, void*)
{
    s_shareLocks[static_cast<std::size_t>(data)].lock();
}

void unlockShare(CURL*, curl_lock_data data, void*)
{
    s_shareLocks[static_cast<std::size_t>(data)].unlock();
}

struct HeaderList
{
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
};

} // namespace

const QList<std::pair<QByteArray, QByteArray>>& PortalClient::browserHeaders()
{
    static const QList<std::pair<QByteArray, QByteArray>> headers{
        {"User-Agent",
         "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/120.0.0.0 Safari/537.36"},
        {"Accept-Encoding", "gzip, deflate, br"},
        {"Accept", "*/*"},
        {"Content-Type", "application/x-www-form-urlencoded; charset=UTF-8"},
        {"X-Requested-With", "XMLHttpRequest"},
    };
    return headers;
}

void PortalClient::globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        CurlGlobal::initialise();
        s_share = curl_share_init();
        curl_share_setopt(s_share, CURLSHOPT_LOCKFUNC, lockShare);
        curl_share_setopt(s_share, CURLSHOPT_UNLOCKFUNC, unlockShare);
        curl_share_setopt(s_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    });
}

PortalClient::PortalClient() : PortalClient(Options{}) {}

PortalClient::PortalClient(Options options) : m_options(options)
{
    globalInit();
    m_curl = curl_easy_init();
}

PortalClient::~PortalClient()
{
    curl_easy_cleanup(m_curl);
}

bool PortalClient::isValidUrl(const QByteArray& url)
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

size_t PortalClient::write(char* data, size_t size, size_t count, void* self)
{
    auto* client = static_cast<PortalClient*>(self);
    const size_t bytes = size * count;
    // CURLOPT_MAXFILESIZE cannot stop a transfer of unknown or compressed length, so the cap is here.
    if (client->m_body.size() + static_cast<qint64>(bytes) > client->m_options.maxBodyBytes) {
        client->m_overCap = true;
        return 0;
    }
    client->m_body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

int PortalClient::progress(void* self, long long, long long, long long, long long)
{
    return static_cast<PortalClient*>(self)->m_cancelled.load() ? 1 : 0;
}

PortalClient::Result PortalClient::post(const QByteArray& url, const QByteArray& body)
{
    if (m_cancelled.load())
        return QStringLiteral("Request cancelled");
    if (!m_curl)
        return QStringLiteral("The HTTP client could not be created");

    HeaderList headers;
    for (const auto& [name, value] : browserHeaders()) {
        if (name == "Accept-Encoding")
            continue; // set through CURLOPT_ACCEPT_ENCODING, which also makes curl decode
        headers.list = curl_slist_append(headers.list, (name + ": " + value).constData());
    }
    headers.list = curl_slist_append(headers.list, "Expect:"); // no "Expect: 100-continue" of curl's own

    char errorText[CURL_ERROR_SIZE] = {};
    m_body.clear();
    m_overCap = false;

    CURL* curl = m_curl;
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, body.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, browserHeaders().at(1).second.constData());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, m_options.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SHARE, s_share);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, ""); // cookie engine on, nothing read from disk
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &PortalClient::write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &PortalClient::progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);

    if (code != CURLE_OK) {
        m_body.clear();
        if (m_overCap)
            return QStringLiteral("The response body exceeds the limit of %1 bytes")
                .arg(m_options.maxBodyBytes);
        if (code == CURLE_ABORTED_BY_CALLBACK)
            return QStringLiteral("Request cancelled");
        return errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(code));
    }
    Response response;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(m_body);
    m_body = QByteArray();
    return response;
}
