#pragma once

#include "infra/HttpClient.h"

#include <QByteArray>
#include <QList>
#include <utility>

// The HTTP side of the feeds: one POST at a time, blocking the fetcher's worker thread. Sends exactly
// the portal page's five headers (plus what HTTP itself needs: Host, Content-Length and the cookies
// the portal set earlier in this process).
class PortalClient
{
public:
    struct Options
    {
        long timeoutMs = 60'000;
        qint64 maxBodyBytes = qint64{32} * 1024 * 1024; // decoded size
    };
    using Response = HttpClient::Response;
    using Result = HttpClient::Result;

    static const QList<std::pair<QByteArray, QByteArray>>& browserHeaders();

    PortalClient();
    explicit PortalClient(Options options);

    static bool isValidUrl(const QByteArray& url) { return HttpClient::isValidUrl(url); }

    Result post(const QByteArray& url, const QByteArray& body);

    // From any thread: the transfer in flight and every later one fail at once ("Request cancelled").
    void cancel() { m_http.cancel(); }

private:
    HttpClient m_http;
};
