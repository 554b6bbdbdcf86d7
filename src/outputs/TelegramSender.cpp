#include "outputs/TelegramSender.h"

#include "outputs/OutputMessage.h"

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
    return transfer(
        jsonRequest(url, {{QStringLiteral("chat_id"), m_chat}, {QStringLiteral("text"), text}}, {}));
}
