#include "outputs/NtfySender.h"

#include "outputs/MailHeader.h"
#include "outputs/OutputMessage.h"

NtfySender::NtfySender(QString topicUrl, QString token, const Clock& clock)
    : HttpOutputSender(clock), m_url(std::move(topicUrl)), m_token(std::move(token))
{
}

DeliveryResult NtfySender::send(const OutputMessage& message)
{
    HttpClient::Request request{m_url.toUtf8(), {}, true, message.body().toUtf8()};
    request.headers.append("Title: " + MailHeader::encode(message.title(), " "));
    const QStringList tags = QStringList{QStringLiteral("loudspeaker")} + message.symbols();
    request.headers.append(header("Tags", tags.join(QLatin1Char(','))));
    if (!message.link().isEmpty())
        request.headers.append(header("Click", message.link()));
    if (!m_token.isEmpty())
        request.headers.append(header("Authorization", QStringLiteral("Bearer ") + m_token));
    return transfer(request);
}
