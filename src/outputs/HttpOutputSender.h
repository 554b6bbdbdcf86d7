#pragma once

#include "infra/HttpClient.h"
#include "outputs/OutputSender.h"

#include <QString>

// What the senders over HTTP share: one client, and a request's answer read as a delivery result.
class HttpOutputSender : public OutputSender
{
public:
    explicit HttpOutputSender(const Clock& clock);

protected:
    DeliveryResult transfer(const HttpClient::Request& request);
    HttpClient::Result exchange(const HttpClient::Request& request); // the answer as it came
    // "Name: value" with control characters (a line break would start another header) as spaces.
    static QByteArray header(const char* name, const QString& value);
    // A JSON request with a bearer token when one is given.
    static HttpClient::Request jsonRequest(QByteArray url, const QJsonObject& body, const QString& token);

    const Clock& m_clock;

private:
    HttpClient m_http;
};
