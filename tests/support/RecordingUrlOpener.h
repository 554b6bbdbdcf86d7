#pragma once

#include "platform/gui/UrlOpener.h"

#include <QList>
#include <QUrl>

// Remembers every address instead of opening it.
class RecordingUrlOpener : public UrlOpener
{
public:
    bool open(const QUrl& url) override
    {
        m_opened.append(url);
        return true;
    }
    const QList<QUrl>& opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};
