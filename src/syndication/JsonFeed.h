#pragma once

#include <QByteArray>

class FeedContent;

// The feed as a JSON Feed 1.1 document: the same entries as the Atom feed, each with `id`, `url`,
// `title`, `summary` (the headline), `content_text`, `date_published`, `language` and the symbols as
// `tags`, then the category's key.
class JsonFeed
{
public:
    static QByteArray document(const FeedContent& content);
};
