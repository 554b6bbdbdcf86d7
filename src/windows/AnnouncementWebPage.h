#pragma once

#include <QWebEnginePage>

class UrlOpener;

// The page of one announcement. Its description is third-party HTML, so scripts and plugins are off,
// and the page cannot move itself: an automatic navigation of the main frame (a meta refresh, a
// redirect) is refused. A link the user clicks is followed inside the window when it stays on the
// announcement's host, and handed to the browser when it leaves it (the window has no address bar).
// Only web addresses (http, https) are ever followed or handed on.
class AnnouncementWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit AnnouncementWebPage(UrlOpener* opener, QObject* parent = nullptr);

    // Loads our own document; the next navigation is let through whatever its address.
    void loadDocument(const QString& html, const QUrl& baseUrl);

    static bool isWebAddress(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool isOnHomeHost(const QUrl& url) const;

    UrlOpener* m_opener;
    QUrl m_home; // the announcement's own page
    bool m_ownLoadPending = false;
    bool m_followingClick = false; // a clicked same-host link may still redirect within the host
};
