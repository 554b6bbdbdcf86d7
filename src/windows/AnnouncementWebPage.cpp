#include "windows/AnnouncementWebPage.h"

#include "model/DescriptionMarkup.h"
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementWebFilter.h"

#include <QWebEngineSettings>

AnnouncementWebPage::AnnouncementWebPage(UrlOpener* opener, QUrl portalOrigin, QObject* parent)
    : QWebEnginePage(parent), m_opener(opener), m_portal(std::move(portalOrigin)),
      m_filter(new AnnouncementWebFilter(m_portal, this))
{
    setUrlRequestInterceptor(m_filter);
    QWebEngineSettings* web = settings();
    web->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    web->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Neither asks a host by HTTP, so the request filter never sees them.
    web->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    web->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    connect(this, &QWebEnginePage::loadFinished, this, [this] { m_followingClick = false; });
}

void AnnouncementWebPage::loadDocument(const QString& html, const QUrl& baseUrl)
{
    m_ownLoadPending = true;
    setHtml(DescriptionMarkup::forPage(html),
            isOnPortal(baseUrl) ? baseUrl : m_portal.resolved(QUrl(QStringLiteral("/"))));
}

bool AnnouncementWebPage::isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool AnnouncementWebPage::isOnPortal(const QUrl& url) const
{
    return AnnouncementWebFilter::sameOrigin(url, m_portal);
}

bool AnnouncementWebPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_ownLoadPending && type == NavigationTypeTyped) {
        m_ownLoadPending = false;
        return true;
    }
    // History holds only pages that were let through, our own document included: "Back" from a
    // followed link must lead to the announcement again.
    if (type == NavigationTypeBackForward || type == NavigationTypeReload)
        return true;
    if (!isWebAddress(url))
        return false;
    if (!isMainFrame)
        return true; // a frame of the description; the window stays on the announcement
    const bool clicked = type == NavigationTypeLinkClicked;
    if ((clicked || (type == NavigationTypeRedirect && m_followingClick)) && isOnPortal(url)) {
        m_followingClick = true;
        return true;
    }
    // Leaving the portal, at the user's request: the browser has the address bar this window lacks.
    if ((clicked || m_followingClick) && m_opener)
        m_opener->open(url);
    m_followingClick = false;
    return false;
}
