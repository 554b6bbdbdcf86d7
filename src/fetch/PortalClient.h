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
        // Decoded size. A real page of 50 items is about 60 KB; the cap leaves room for descriptions a
        // hundred times longer and keeps the parse of a hostile page near 100 MB.
        qint64 maxBodyBytes = qint64{8} * 1024 * 1024;
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
