#include "outputs/TelegramSender.h"

#include "infra/Clock.h"
#include "outputs/OutputMessage.h"

#include <QJsonDocument>
#include <QJsonObject>

TelegramSender::TelegramSender(QString api, QString botToken, QString chat, const Clock& clock)
    : HttpOutputSender(clock), m_api(api.isEmpty() ? kApi : std::move(api)), m_botToken(std::move(botToken)),
      m_chat(std::move(chat))
{
    while (m_api.endsWith(QLatin1Char('/')))
        m_api.chop(1);
}

DeliveryResult TelegramSender::send(const OutputMessage& message)
{
    const QString text = (message.title() + QStringLiteral("\n\n") + message.body()).left(kMaxText);
    const QByteArray url =
        (m_api + QStringLiteral("/bot") + m_botToken + QStringLiteral("/sendMessage")).toUtf8();
    const HttpClient::Result answer =
        exchange(jsonRequest(url, {{QStringLiteral("chat_id"), m_chat}, {QStringLiteral("text"), text}}, {}));
    DeliveryResult result = DeliveryResult::fromHttp(answer, m_clock.now());
    // Too many requests: the Bot API says how long to wait in its answer ("parameters.retry_after").
    if (const auto* response = std::get_if<HttpClient::Response>(&answer);
        response && response->status == 429 && !result.retryAfterSeconds) {
        const QJsonValue wait = QJsonDocument::fromJson(response->body)
                                    .object()
                                    .value(QStringLiteral("parameters"))
                                    .toObject()
                                    .value(QStringLiteral("retry_after"));
        if (wait.isDouble() && wait.toDouble() >= 0)
            result.retryAfterSeconds = wait.toDouble();
    }
    return result;
}
