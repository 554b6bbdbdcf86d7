#include "cli/TerminalText.h"

namespace {
constexpr QChar kReplacement(0xFFFD);

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

QString cleaned(const QString& text, bool keepLineFeeds)
{
    QString out = text;
    const qsizetype size = out.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = out.at(i).unicode();
        if (isControl(unit)) {
            if (!(keepLineFeeds && (unit == u'\n' || unit == u'\t')))
                out[i] = kReplacement;
        } else if (QChar::isHighSurrogate(unit)) {
            if (i + 1 < size && QChar::isLowSurrogate(out.at(i + 1).unicode()))
                ++i;
            else
                out[i] = kReplacement;
        } else if (QChar::isLowSurrogate(unit)) {
            out[i] = kReplacement;
        }
    }
    return out;
}
} // namespace

QString TerminalText::clean(const QString& text)
{
    return cleaned(text, false);
}

QString TerminalText::cleanLines(const QString& text)
{
    return cleaned(text, true);
}

QByteArray TerminalText::escapeJson(const QByteArray& json)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json.at(i));
        unsigned code = 0;
        if (byte == 0x7F) {
            code = 0x7F;
        } else if (byte == 0xC2 && i + 1 < json.size()) {
            // U+0080..U+009F are C2 80..C2 9F in UTF-8.
            const auto next = static_cast<unsigned char>(json.at(i + 1));
            if (next >= 0x80 && next <= 0x9F) {
                code = next;
                ++i;
            }
        }
        if (code == 0) {
            out.append(static_cast<char>(byte));
            continue;
        }
        const char escaped[] = {'\\', 'u', '0', '0', hex[code >> 4], hex[code & 0xF]};
        out.append(escaped, 6);
    }
    return out;
}
