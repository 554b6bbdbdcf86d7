#pragma once

#include <QString>
#include <optional>

// The portal's origin (scheme "://" host[:port], no trailing slash): the feed endpoints hang under it,
// relative links are completed with it, and "Open in Tadawul" opens it. `--portal ORIGIN` wins over
// $ZELVORA_PORTAL_ORIGIN, which wins over the real portal.
class PortalOrigin
{
public:
    static inline const QString defaultOrigin = QStringLiteral("https://www.saudiexchange.sa");

    // The text without its trailing slashes.
    static QString trimmed(QString text);
    // An http(s) origin with its trailing slashes removed, or none when the text is not one.
    static std::optional<QString> normalise(const QString& text);
};
