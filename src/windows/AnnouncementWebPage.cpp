#include "windows/AnnouncementWebPage.h"

#include <QWebEngineSettings>

AnnouncementWebPage::AnnouncementWebPage(QObject* parent) : QWebEnginePage(parent)
{
    QWebEngineSettings* web = settings();
    web->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    web->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    web->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    web->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
}

void AnnouncementWebPage::loadDocument(const QString& html, const QUrl& baseUrl)
{
    m_ownLoadPending = true;
    setHtml(html, baseUrl);
}

bool AnnouncementWebPage::isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
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
    return isWebAddress(url);
}
