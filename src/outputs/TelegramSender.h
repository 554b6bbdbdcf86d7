#pragma once

#include "outputs/HttpOutputSender.h"

// The Bot API's sendMessage to one chat (a numeric id or "@channel"), as plain text.
class TelegramSender : public HttpOutputSender
{
public:
    static inline const QString kApi = QStringLiteral("https://api.telegram.org");
    static constexpr int kMaxText = 4096; // the API's limit, in characters

    // `api` empty: the Bot API itself.
    TelegramSender(QString api, QString botToken, QString chat, const Clock& clock);
    DeliveryResult send(const OutputMessage& message) override;

private:
    QString m_api;
    QString m_botToken;
    QString m_chat;
};
