#include "outputs/SmtpSender.h"

#include "infra/Clock.h"
#include "outputs/MailHeader.h"
#include "outputs/OutputMessage.h"

#include <QCryptographicHash>
#include <QLocale>
#include <QSysInfo>
#include <QTimeZone>
#include <curl/curl.h>
#include <memory>

namespace {

struct Upload
{
    QByteArray data;
    qsizetype offset = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const qsizetype bytes =
        std::min<qsizetype>(qsizetype(size * count), upload->data.size() - upload->offset);
    std::memcpy(buffer, upload->data.constData() + upload->offset, size_t(bytes));
    upload->offset += bytes;
    return size_t(bytes);
}

QStringList recipients(const QString& to)
{
    QStringList list;
    for (const QString& part : to.split(QLatin1Char(','), Qt::SkipEmptyParts))
        list.append(part.simplified());
    return list;
}

} // namespace

SmtpSender::SmtpSender(OutputConfig config, QString password, const Clock& clock)
    : m_config(std::move(config)), m_password(std::move(password)), m_clock(clock)
{
}

QString SmtpSender::sender() const
{
    if (!m_config.from.isEmpty())
        return m_config.from.simplified();
    if (m_config.user.contains(QLatin1Char('@')))
        return m_config.user.simplified();
    return QStringLiteral("zelvora@") + QSysInfo::machineHostName();
}

QByteArray SmtpSender::mail(const OutputMessage& message) const
{
    const QDateTime now = m_clock.now().toDateTime().toTimeZone(QTimeZone::utc());
    const QByteArray id =
        QCryptographicHash::hash(message.key().toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    QByteArray mail;
    mail += "Date: " + QLocale::c().toString(now, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toLatin1() +
            " +0000\r\n";
    mail += "From: Zelvora <" + MailHeader::encode(sender(), {}) + ">\r\n";
    mail += "To: " + MailHeader::encode(recipients(m_config.to).join(QStringLiteral(", ")), {}) + "\r\n";
    mail += "Subject: " + MailHeader::encode(message.title(), "\r\n ") + "\r\n";
    // The same for a repeat of the same delivery, so mail programs can show it once.
    mail += "Message-ID: <" + id + "@zelvora>\r\n";
    mail += "MIME-Version: 1.0\r\n";
    mail += "Content-Type: text/plain; charset=UTF-8\r\n";
    mail += "Content-Transfer-Encoding: base64\r\n\r\n";
    mail += MailHeader::base64Lines(message.body().toUtf8());
    return mail;
}

DeliveryResult SmtpSender::send(const OutputMessage& message)
{
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return DeliveryResult::retryLater(QStringLiteral("The mail client could not be created"));
    Upload upload{mail(message)};
    const QByteArray url = m_config.url.toUtf8();
    const QByteArray from = "<" + sender().toUtf8() + ">";
    const QByteArray user = m_config.user.toUtf8();
    const QByteArray password = m_password.toUtf8();
    curl_slist* rcpt = nullptr;
    for (const QString& address : recipients(m_config.to))
        rcpt = curl_slist_append(rcpt, ("<" + address.toUtf8() + ">").constData());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> rcptList(rcpt, curl_slist_free_all);

    char errorText[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(handle, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!user.isEmpty()) {
        curl_easy_setopt(handle, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, password.constData());
    }
    curl_easy_setopt(handle, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(handle, CURLOPT_MAIL_RCPT, rcptList.get());
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, 60'000L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode code = curl_easy_perform(handle);
    if (code == CURLE_OK)
        return DeliveryResult::delivered();

    long reply = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &reply);
    const QString reason =
        errorText[0] ? QString::fromUtf8(errorText) : QString::fromUtf8(curl_easy_strerror(code));
    const QString detail = reply ? QStringLiteral("SMTP %1: %2").arg(reply).arg(reason) : reason;
    // A permanent reply (5xx: unknown mailbox, login refused) would be the same next time; a
    // transient one (4xx) or no reply at all is worth another try.
    if (code == CURLE_LOGIN_DENIED || (reply >= 500 && reply < 600))
        return DeliveryResult::refused(detail);
    return DeliveryResult::retryLater(detail);
}
