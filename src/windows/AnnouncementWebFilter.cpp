#include "windows/AnnouncementWebFilter.h"

AnnouncementWebFilter::AnnouncementWebFilter(QUrl portalOrigin, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_portal(std::move(portalOrigin))
{
}

bool AnnouncementWebFilter::sameOrigin(const QUrl& a, const QUrl& b)
{
    const auto port = [](const QUrl& url) {
        return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
    };
    return !a.host().isEmpty() && a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port(a) == port(b);
}

void AnnouncementWebFilter::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    using Info = QWebEngineUrlRequestInfo;
    const Info::ResourceType type = info.resourceType();
    // A frame could show another site's page (a sign-in form, say) inside the window.
    const bool frame = type == Info::ResourceTypeSubFrame || type == Info::ResourceTypeObject ||
                       type == Info::ResourceTypePluginResource;
    const QString scheme = info.requestUrl().scheme().toLower();
    const bool local = scheme == QLatin1String("data") || scheme == QLatin1String("qrc");
    info.block(frame || !(local || sameOrigin(info.requestUrl(), m_portal)));
}
