#include "model/JsonText.h"

#include <QLocale>
#include <cmath>

namespace {
char* writeEscape(char* out, char16_t unit)
{
    static const char kHex[] = "0123456789abcdef";
    *out++ = '\\';
    *out++ = 'u';
    for (int shift = 12; shift >= 0; shift -= 4)
        *out++ = kHex[(unit >> shift) & 0xf];
    return out;
}

char* writeAscii(char* out, char16_t unit)
{
    char escaped = 0;
    switch (unit) {
    case u'"':
        escaped = '"';
        break;
    case u'\\':
        escaped = '\\';
        break;
    case u'\b':
        escaped = 'b';
        break;
    case u'\f':
        escaped = 'f';
        break;
    case u'\n':
        escaped = 'n';
        break;
    case u'\r':
        escaped = 'r';
        break;
    case u'\t':
        escaped = 't';
        break;
    default:
        if (unit < 0x20)
            return writeEscape(out, unit);
        *out++ = static_cast<char>(unit);
        return out;
    }
    *out++ = '\\';
    *out++ = escaped;
    return out;
}
} // namespace

void JsonText::appendString(QByteArray& out, QStringView text)
{
    // At most six bytes per UTF-16 unit (a \u escape), plus the quotes.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 6 + 2);
    char* at = out.data() + start;
    *at++ = '"';
    const char16_t* unit = text.utf16();
    const char16_t* const end = unit + text.size();
    while (unit != end) {
        const char16_t u = *unit++;
        if (u < 0x80) {
            at = writeAscii(at, u);
        } else if (u < 0x800) {
            *at++ = static_cast<char>(0xc0 | (u >> 6));
            *at++ = static_cast<char>(0x80 | (u & 0x3f));
        } else if (QChar::isHighSurrogate(u) && unit != end && QChar::isLowSurrogate(*unit)) {
            const char32_t code = QChar::surrogateToUcs4(u, *unit++);
            *at++ = static_cast<char>(0xf0 | (code >> 18));
            *at++ = static_cast<char>(0x80 | ((code >> 12) & 0x3f));
            *at++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            *at++ = static_cast<char>(0x80 | (code & 0x3f));
        } else if (QChar::isSurrogate(u)) {
            at = writeEscape(at, u);
        } else {
            *at++ = static_cast<char>(0xe0 | (u >> 12));
            *at++ = static_cast<char>(0x80 | ((u >> 6) & 0x3f));
            *at++ = static_cast<char>(0x80 | (u & 0x3f));
        }
    }
    *at++ = '"';
    out.resize(at - out.data());
}

void JsonText::appendNumber(QByteArray& out, double value)
{
    if (!std::isfinite(value)) {
        out.append("null", 4);
        return;
    }
    // QJsonValue keeps a whole double that fits a 64-bit integer as an integer.
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (std::trunc(value) == value && value >= -kLimit && value < kLimit)
        out.append(QByteArray::number(static_cast<qint64>(value)));
    else
        out.append(QByteArray::number(value, 'g', QLocale::FloatingPointShortest));
}
