#include "fetch/PortalClient.h"

namespace {
const QByteArray kAcceptEncoding = QByteArrayLiteral("Accept-Encoding");
}

const QList<std::pair<QByteArray, QByteArray>>& PortalClient::browserHeaders()
{
    static const QList<std::pair<QByteArray, QByteArray>> headers{
        {"User-Agent",
         "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/120.0.0.0 Safari/537.36"},
        {kAcceptEncoding, "gzip, deflate, br"},
        {"Accept", "*/*"},
        {"Content-Type", "application/x-www-form-urlencoded; charset=UTF-8"},
        {"X-Requested-With", "XMLHttpRequest"},
    };
    return headers;
}

PortalClient::PortalClient() : PortalClient(Options{}) {}

PortalClient::PortalClient(Options options)
    : m_http(HttpClient::Options{options.timeoutMs,
                                 options.maxBodyBytes,
                                 {},
                                 browserHeaders().at(1).second,
                                 /*sharedCookies=*/true,
                                 // A redirect elsewhere would hand the form and headers to another host,
                                 // and take its answer for the portal's.
                                 HttpClient::Redirects::SameOrigin})
{
}

PortalClient::Result PortalClient::post(const QByteArray& url, const QByteArray& body)
{
    HttpClient::Request request{url, {}, true, body};
    for (const auto& [name, value] : browserHeaders()) {
        if (name != kAcceptEncoding) // the client's accepted encodings, which it also decodes
            request.headers.append(name + ": " + value);
    }
    return m_http.run(request);
}
