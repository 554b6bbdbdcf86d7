#pragma once

#include "outputs/HttpOutputSender.h"

// Sends an m.room.message (m.text) to a room through the client-server API. The transaction id comes
// from the message's key, so the homeserver takes a repeat of the same delivery as the same event.
class MatrixSender : public HttpOutputSender
{
public:
    MatrixSender(QString homeserver, QString room, QString accessToken, const Clock& clock);
    DeliveryResult send(const OutputMessage& message) override;

private:
    QByteArray url(const OutputMessage& message) const;

    QString m_homeserver;
    QString m_room;
    QString m_token;
};
