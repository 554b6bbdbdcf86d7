#include "syndication/JsonFeed.h"

#include "syndication/FeedContent.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray JsonFeed::document(const FeedContent& content)
{
    QJsonArray items;
    for (const FeedContent::Entry& entry : content.entries()) {
        QJsonObject item{{QStringLiteral("id"), entry.id},
                         {QStringLiteral("url"), entry.link},
                         {QStringLiteral("title"), entry.title},
                         {QStringLiteral("content_text"), entry.text},
                         {QStringLiteral("date_published"), entry.date},
                         {QStringLiteral("language"), entry.language}};
        if (!entry.summary.isEmpty())
            item.insert(QStringLiteral("summary"), entry.summary);
        item.insert(QStringLiteral("tags"),
                    QJsonArray::fromStringList(entry.symbols + QStringList{entry.category}));
        items.append(item);
    }
    const QJsonObject feed{
        {QStringLiteral("version"), QStringLiteral("https://jsonfeed.org/version/1.1")},
        {QStringLiteral("title"), content.title()},
        {QStringLiteral("home_page_url"), content.portalOrigin()},
        {QStringLiteral("language"), content.language()},
        {QStringLiteral("authors"), QJsonArray{QJsonObject{{QStringLiteral("name"), content.author()}}}},
        {QStringLiteral("items"), items}};
    return QJsonDocument(feed).toJson(QJsonDocument::Indented);
}
