#pragma once

#include <QWebEnginePage>

// The page of one announcement. Its description is third-party HTML, so scripts and plugins are off,
// and the page may only move on to web addresses (http, https): a link to a local file or to another
// program's scheme does nothing.
class AnnouncementWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit AnnouncementWebPage(QObject* parent = nullptr);

    // Loads our own document; the next navigation is let through whatever its address.
    void loadDocument(const QString& html, const QUrl& baseUrl);

    static bool isWebAddress(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool m_ownLoadPending = false;
};
