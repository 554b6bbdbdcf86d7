#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <utility>
#include <variant>

typedef void CURL;

// The HTTP side of the feeds, on libcurl: one POST at a time from the thread that owns the client.
// Sends exactly the portal page's five headers (plus what HTTP itself needs: Host, Content-Length and
// the cookies the portal set earlier in this process), decodes gzip/deflate/br, verifies TLS.
class PortalClient
{
public:
    struct Options
    {
        long timeoutMs = 60'000;
        qint64 maxBodyBytes = 32 * 1024 * 1024; // decoded size
    };
    struct Response
    {
        long status = 0;
        QByteArray body;
    };
    // A response, or the transport's description of why there is none.
    using Result = std::variant<Response, QString>;

    static const QList<std::pair<QByteArray, QByteArray>>& browserHeaders();

    PortalClient();
    explicit PortalClient(Options options);
    ~PortalClient();
    PortalClient(const PortalClient&) = delete;
    PortalClient& operator=(const PortalClient&) = delete;

    // Whether libcurl accepts `url` as an absolute http(s) URL.
    static bool isValidUrl(const QByteArray& url);

    Result post(const QByteArray& url, const QByteArray& body);

    // From any thread: the transfer in flight and every later one fail at once ("Request cancelled").
    void cancel() { m_cancelled.store(true); }

    // curl_global_init and the process-wide cookie jar; called by the first client.
    static void globalInit();

private:
    static size_t write(char* data, size_t size, size_t count, void* self);
    static int progress(void* self, long long, long long, long long, long long);

    Options m_options;
    CURL* m_curl = nullptr;
    QByteArray m_body;
    bool m_overCap = false;
    std::atomic<bool> m_cancelled{false};
};
