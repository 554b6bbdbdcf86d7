#include "outputs/MatrixSender.h"

#include "outputs/OutputMessage.h"

#include <QJsonObject>
#include <QUrl>

MatrixSender::MatrixSender(QString homeserver, QString room, QString accessToken, const Clock& clock)
    : HttpOutputSender(clock), m_homeserver(std::move(homeserver)), m_room(std::move(room)),
      m_token(std::move(accessToken))
{
    while (m_homeserver.endsWith(QLatin1Char('/')))
        m_homeserver.chop(1);
}

QByteArray MatrixSender::url(const OutputMessage& message) const
{
    // Room ids ("!abc:example.org") and aliases hold characters that must not stand bare in a path.
    return m_homeserver.toUtf8() + "/_matrix/client/v3/rooms/" + QUrl::toPercentEncoding(m_room) +
           "/send/m.room.message/" + QUrl::toPercentEncoding(QStringLiteral("zelvora-") + message.key());
}

DeliveryResult MatrixSender::send(const OutputMessage& message)
{
    const QJsonObject content{
        {QStringLiteral("msgtype"), QStringLiteral("m.text")},
        {QStringLiteral("body"), message.title() + QStringLiteral("\n\n") + message.body()}};
    HttpClient::Request request = jsonRequest(url(message), content, m_token);
    request.post = false;
    request.method = "PUT";
    return transfer(request);
}
