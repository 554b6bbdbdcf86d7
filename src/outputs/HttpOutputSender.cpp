#include "outputs/HttpOutputSender.h"

#include "infra/Clock.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

HttpClient::Options options()
{
    HttpClient::Options options;
    options.timeoutMs = 30'000;
    options.maxBodyBytes = 1024 * 1024; // receivers answer briefly
    options.userAgent = "Zelvora";
    options.redirects =
        HttpClient::Redirects::None; // a redirected POST would lose its body and still read as delivered
    return options;
}

} // namespace

HttpOutputSender::HttpOutputSender(const Clock& clock) : m_clock(clock), m_http(options()) {}

DeliveryResult HttpOutputSender::transfer(const HttpClient::Request& request)
{
    return DeliveryResult::fromHttp(exchange(request), m_clock.now());
}

HttpClient::Result HttpOutputSender::exchange(const HttpClient::Request& request)
{
    return m_http.run(request);
}

QByteArray HttpOutputSender::header(const char* name, const QString& value)
{
    QString clean = value;
    for (QChar& each : clean) {
        if (each.category() == QChar::Other_Control)
            each = QLatin1Char(' ');
    }
    return QByteArray(name) + ": " + clean.toUtf8();
}

HttpClient::Request HttpOutputSender::jsonRequest(QByteArray url, const QJsonObject& body,
                                                  const QString& token)
{
    HttpClient::Request request{std::move(url),
                                {"Content-Type: application/json"},
                                true,
                                QJsonDocument(body).toJson(QJsonDocument::Compact)};
    if (!token.isEmpty())
        request.headers.append(header("Authorization", QStringLiteral("Bearer ") + token));
    return request;
}
