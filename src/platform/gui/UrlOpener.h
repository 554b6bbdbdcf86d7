#pragma once

#include <QList>
#include <QUrl>

// Hands addresses to the user's default handler (the browser for web addresses). Windows take one
// by reference so tests can record what would have been opened instead of starting a browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl& url) = 0;

    // A link from the portal as a web address to open: only absolute http and https addresses
    // qualify, so a feed cannot make the program open local files or other handlers.
    static QUrl webAddress(const QString& link);
};

// The desktop's opener (QDesktopServices).
class DesktopUrlOpener : public UrlOpener
{
public:
    bool open(const QUrl& url) override;
};
