#include "fetch/PortalOrigin.h"

#include <QUrl>

namespace {
QString trimmedOrigin(QString text)
{
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}
} // namespace

QString PortalOrigin::fromEnvironment()
{
    const QString fromEnvironment = qEnvironmentVariable("ZELVORA_PORTAL_ORIGIN").trimmed();
    // Used even when malformed, so a mistyped value shows up as an invalid URL instead of silently
    // reaching the real portal.
    if (!fromEnvironment.isEmpty())
        return trimmedOrigin(fromEnvironment);
    return defaultOrigin;
}

std::optional<QString> PortalOrigin::normalise(const QString& text)
{
    const QString origin = trimmedOrigin(text.trimmed());
    const QUrl url(origin, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty())
        return std::nullopt;
    return origin;
}
