#include "platform/gui/UrlOpener.h"

#include "infra/LogCategories.h"

#include <QDesktopServices>

QUrl UrlOpener::webAddress(const QString& link)
{
    const QUrl url(link.trimmed());
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};
    return url;
}

bool DesktopUrlOpener::open(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    qCInfo(lcBrowser, "Could not open %s", qUtf8Printable(url.toString()));
    return false;
}
