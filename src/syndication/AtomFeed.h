#pragma once

#include <QByteArray>

class FeedContent;

// The feed as an Atom document (RFC 4287): one entry per announcement with its identifier, title, the
// headline as summary, the portal link, the date with its offset, and its category and each symbol as
// categories; every
// entry names its language (xml:lang), so readers lay Arabic entries out right to left.
class AtomFeed
{
public:
    static QByteArray document(const FeedContent& content);
};
