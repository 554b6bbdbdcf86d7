#include "outputs/MailHeader.h"

#include <QList>

namespace {

constexpr qsizetype kWordBytes = 45; // 60 base64 characters: "=?UTF-8?B?" + 60 + "?=" is 72

QByteArray encodedWord(const QByteArray& utf8)
{
    return "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

} // namespace

QByteArray MailHeader::encode(const QString& text, const QByteArray& separator)
{
    QString clean = text;
    bool ascii = true;
    for (QChar& each : clean) {
        if (each.category() == QChar::Other_Control)
            each = QLatin1Char(' ');
        else if (each.unicode() > 0x7E)
            ascii = false;
    }
    // "=?" in plain text would be read as the start of an encoded word.
    if (ascii && !clean.contains(QLatin1String("=?")))
        return clean.toLatin1();

    QList<QByteArray> words;
    QByteArray word;
    for (const char32_t codePoint : clean.toUcs4()) {
        const QByteArray bytes = QString::fromUcs4(&codePoint, 1).toUtf8();
        if (word.size() + bytes.size() > kWordBytes) {
            words.append(encodedWord(word));
            word.clear();
        }
        word += bytes;
    }
    if (!word.isEmpty())
        words.append(encodedWord(word));
    return words.join(separator);
}

QByteArray MailHeader::base64Lines(const QByteArray& data)
{
    const QByteArray encoded = data.toBase64();
    QByteArray lines;
    for (qsizetype start = 0; start < encoded.size(); start += 76)
        lines += encoded.mid(start, 76) + "\r\n";
    return lines;
}
