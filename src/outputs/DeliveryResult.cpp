#include "outputs/DeliveryResult.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <algorithm>

namespace {

// The start of a refusal's body, on one line: receivers usually say there what was wrong.
QString excerpt(const QByteArray& body)
{
    QString text = QString::fromUtf8(body.left(200)).simplified();
    return text.isEmpty() ? text : QStringLiteral(" (") + text + QLatin1Char(')');
}

} // namespace

std::optional<double> DeliveryResult::parseRetryAfter(const QByteArray& value, Instant now)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const qlonglong seconds = text.toLongLong(&isNumber);
    if (isNumber)
        return seconds < 0 ? std::nullopt : std::optional<double>(double(seconds));
    // IMF-fixdate, "Sun, 06 Dec 2026 14:05:00 GMT"; the English names whatever the user's locale.
    const QDateTime date =
        QLocale::c().toDateTime(QString::fromLatin1(text), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (!date.isValid())
        return std::nullopt;
    QDateTime utc = date;
    utc.setTimeZone(QTimeZone::utc());
    return std::max(0.0, Instant::fromDateTime(utc).referenceSeconds() - now.referenceSeconds());
}

DeliveryResult DeliveryResult::fromHttp(const HttpClient::Result& result, Instant now)
{
    if (const auto* error = std::get_if<QString>(&result))
        return retryLater(*error);
    const auto& response = std::get<HttpClient::Response>(result);
    const QString status = QStringLiteral("HTTP %1").arg(response.status);
    if (response.status >= 200 && response.status < 300)
        return delivered();
    if (response.status == 429 || response.status == 408 || response.status >= 500) {
        DeliveryResult later = retryLater(status);
        later.retryAfterSeconds = parseRetryAfter(response.header("Retry-After"), now);
        return later;
    }
    return refused(status + excerpt(response.body));
}

QString DeliveryResult::describe() const
{
    switch (outcome) {
    case Outcome::Delivered:
        return QStringLiteral("delivered");
    case Outcome::RetryLater:
        return QStringLiteral("retry later: ") + detail;
    case Outcome::Refused:
        return QStringLiteral("refused: ") + detail;
    }
    return {};
}
