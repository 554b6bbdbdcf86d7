#pragma once

#include "outputs/HttpOutputSender.h"

// POSTs each announcement as a JSON object, with its id as the Idempotency-Key (a repeat after a
// lost answer carries the same key) and the token, if any, as a bearer token.
class WebhookSender : public HttpOutputSender
{
public:
    WebhookSender(QString url, QString token, const Clock& clock);
    DeliveryResult send(const OutputMessage& message) override; // stops at the first not delivered

private:
    QString m_url;
    QString m_token;
};
