#include "fetch/PortalOrigin.h"

#include <QUrl>

QString PortalOrigin::trimmed(QString text)
{
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

std::optional<QString> PortalOrigin::normalise(const QString& text)
{
    const QString origin = trimmed(text.trimmed());
    const QUrl url(origin, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty())
        return std::nullopt;
    return origin;
}
