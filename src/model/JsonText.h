#pragma once

#include <QByteArray>
#include <QStringView>

// Writes JSON text directly, byte for byte as QJsonDocument's compact form does, for large outputs
// where building a QJsonObject per element first costs several times the writing itself.
class JsonText
{
public:
    // A JSON string: UTF-8, with quotes, backslashes and control characters escaped; a lone
    // surrogate, which UTF-8 cannot carry, as a \u escape.
    static void appendString(QByteArray& out, QStringView text);
    // A finite number as QJsonDocument writes it (whole values without a fraction), else null.
    static void appendNumber(QByteArray& out, double value);
};
