#pragma once

#include "outputs/HttpOutputSender.h"

// Publishes to an ntfy topic: the text as the body, the title, the symbols as tags and the link to
// open on a click as headers (non-ASCII titles encoded per RFC 2047, which ntfy decodes).
class NtfySender : public HttpOutputSender
{
public:
    NtfySender(QString topicUrl, QString token, const Clock& clock);
    DeliveryResult send(const OutputMessage& message) override;

private:
    QString m_url;
    QString m_token;
};
