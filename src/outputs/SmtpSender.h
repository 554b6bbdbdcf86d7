#pragma once

#include "outputs/OutputConfig.h"
#include "outputs/OutputSender.h"

#include <QByteArray>

// Mails the message through libcurl's SMTP: STARTTLS whenever the server offers it (smtps:// is TLS
// from the start), a login when a user is given, a UTF-8 subject per RFC 2047 and a plain-text body.
class SmtpSender : public OutputSender
{
public:
    SmtpSender(OutputConfig config, QString password, const Clock& clock);
    DeliveryResult send(const OutputMessage& message) override;

    // The message as sent (headers and the base64 body, CRLF line ends).
    QByteArray mail(const OutputMessage& message) const;
    QString sender() const; // --from, else the user when it is an address, else zelvora@<host>

private:
    OutputConfig m_config;
    QString m_password;
    const Clock& m_clock;
};
