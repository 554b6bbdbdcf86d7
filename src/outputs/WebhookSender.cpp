#include "outputs/WebhookSender.h"

#include "outputs/OutputMessage.h"

WebhookSender::WebhookSender(QString url, QString token, const Clock& clock)
    : HttpOutputSender(clock), m_url(std::move(url)), m_token(std::move(token))
{
}

DeliveryResult WebhookSender::send(const OutputMessage& message)
{
    for (const OutputItem& item : message.items()) {
        HttpClient::Request request = jsonRequest(m_url.toUtf8(), item.toJson(), m_token);
        request.headers.append(header("Idempotency-Key", item.announcement.id()));
        const DeliveryResult result = transfer(request);
        if (!result.isDelivered())
            return result;
    }
    return DeliveryResult::delivered();
}
