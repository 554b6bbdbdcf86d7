#pragma once

#include <QString>

// A description's HTML as the announcement page shows it: tags that would move the page's base
// address, bring in another document (frames, objects) or reach out on their own (link: preconnect,
// prefetch, style sheets) are dropped; everything else stays as the portal sent it.
class DescriptionMarkup
{
public:
    // Removes the start tags of base, link, iframe, frame, frameset, object and embed (any case).
    static QString forPage(const QString& html);
};
