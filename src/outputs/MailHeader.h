#pragma once

#include <QByteArray>
#include <QString>

// Header texts for mail and for HTTP receivers that read mail's encoding (ntfy).
class MailHeader
{
public:
    // Printable ASCII as it is; anything else as RFC 2047 encoded words (UTF-8, base64), each at most
    // 75 characters and never splitting a character, joined by `separator` ("\r\n " folds a mail
    // header). Control characters become spaces.
    static QByteArray encode(const QString& text, const QByteArray& separator);
    // Base64 in lines of 76 characters, each ended by CRLF (a mail body's transfer encoding).
    static QByteArray base64Lines(const QByteArray& data);
};
