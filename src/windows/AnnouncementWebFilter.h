#pragma once

#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

// What an announcement page may ask for: the portal's own origin and local data, never a frame. The
// description is third-party HTML; without this, every host it names (images, style sheets, fonts,
// media, prefetches, frames) would learn who reads the announcement and when.
class AnnouncementWebFilter : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit AnnouncementWebFilter(QUrl portalOrigin, QObject* parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    // Same scheme, host and port (the scheme's default port when none is given).
    static bool sameOrigin(const QUrl& a, const QUrl& b);

private:
    QUrl m_portal;
};
