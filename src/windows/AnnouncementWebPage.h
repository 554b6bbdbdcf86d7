#pragma once

#include <QWebEnginePage>

class AnnouncementWebFilter;
class UrlOpener;

// The page of one announcement. Its description is third-party HTML, so scripts and plugins are off,
// nothing is requested from anywhere but the portal (AnnouncementWebFilter), and the page cannot move
// itself: an automatic navigation of the main frame (a meta refresh, a redirect) is refused. A link
// the user clicks is followed inside the window when it stays on the portal, and handed to the
// browser when it leaves it (the window has no address bar). Only web addresses (http, https) are
// ever followed or handed on.
class AnnouncementWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    AnnouncementWebPage(UrlOpener* opener, QUrl portalOrigin, QObject* parent = nullptr);

    // Loads our own document (without the tags DescriptionMarkup drops); the next navigation is let
    // through whatever its address. The base address is `baseUrl` when it is on the portal, else the
    // portal's home page: another host never becomes the page's own.
    void loadDocument(const QString& html, const QUrl& baseUrl);

    static bool isWebAddress(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool isOnPortal(const QUrl& url) const;

    UrlOpener* m_opener;
    QUrl m_portal;
    AnnouncementWebFilter* m_filter;
    bool m_ownLoadPending = false;
    bool m_followingClick = false; // a clicked same-host link may still redirect within the host
};
