#include "windows/AnnouncementWebPage.h"

#include "platform/gui/UrlOpener.h"

#include <QWebEngineSettings>

AnnouncementWebPage::AnnouncementWebPage(UrlOpener* opener, QObject* parent)
    : QWebEnginePage(parent), m_opener(opener)
{
    QWebEngineSettings* web = settings();
    web->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    web->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    connect(this, &QWebEnginePage::loadFinished, this, [this] { m_followingClick = false; });
}

void AnnouncementWebPage::loadDocument(const QString& html, const QUrl& baseUrl)
{
    m_ownLoadPending = true;
    m_home = baseUrl;
    setHtml(html, baseUrl);
}

bool AnnouncementWebPage::isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool AnnouncementWebPage::isOnHomeHost(const QUrl& url) const
{
    return !m_home.host().isEmpty() && url.host().compare(m_home.host(), Qt::CaseInsensitive) == 0 &&
           url.port(-1) == m_home.port(-1);
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
    if ((clicked || (type == NavigationTypeRedirect && m_followingClick)) && isOnHomeHost(url)) {
        m_followingClick = true;
        return true;
    }
    // Leaving the host, at the user's request: the browser has the address bar this window lacks.
    if ((clicked || m_followingClick) && m_opener)
        m_opener->open(url);
    m_followingClick = false;
    return false;
}
