#include "fetch/FeedParser.h"

#include "fetch/PortalDates.h"
#include "infra/Log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace {

struct ItemFields
{
    QString title;
    QString description;
    QString symbol;
    QJsonValue pressReleaseId;
    QString url;
    QString newsDateStr;
    QJsonValue timestamp;
};

QString stringOrEmpty(const QJsonValue& value)
{
    return value.isString() ? value.toString() : QString();
}

// One pass over the item's keys instead of seven lookups.
ItemFields readItem(const QJsonObject& item)
{
    ItemFields fields;
    for (auto it = item.constBegin(); it != item.constEnd(); ++it) {
        const QString key = it.key();
        if (key == QLatin1String("TITLE"))
            fields.title = stringOrEmpty(it.value());
        else if (key == QLatin1String("SHORT_DESC"))
            fields.description = stringOrEmpty(it.value());
        else if (key == QLatin1String("SYMBOL"))
            fields.symbol = stringOrEmpty(it.value());
        else if (key == QLatin1String("PRESS_REL_ID"))
            fields.pressReleaseId = it.value();
        else if (key == QLatin1String("announcementUrl"))
            fields.url = stringOrEmpty(it.value());
        else if (key == QLatin1String("newsDateStr"))
            fields.newsDateStr = stringOrEmpty(it.value());
        else if (key == QLatin1String("timestamp"))
            fields.timestamp = it.value();
    }
    return fields;
}

// "se_" + the whole number when "PRESS_REL_ID" is a JSON number with a whole value of at least 1.
std::optional<QString> pressReleaseIdentifier(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong) {
        const qint64 whole = value.toInteger();
        if (whole >= 1)
            return QStringLiteral("se_") + QString::number(whole);
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number < 1.0 || std::floor(number) != number)
        return std::nullopt;
    return QStringLiteral("se_") + QString::number(number, 'f', 0);
}

Instant publicationDate(const ItemFields& fields, const Clock& clock)
{
    if (!fields.newsDateStr.isEmpty())
        return PortalDates::parseNumeric(fields.newsDateStr).value_or(clock.now());
    if (fields.timestamp.isString()) {
        const QString text = fields.timestamp.toString();
        if (!text.isEmpty())
            return PortalDates::parseTimestamp(text).value_or(clock.now());
    } else if (fields.timestamp.isDouble()) {
        const double number = fields.timestamp.toDouble();
        if (std::isfinite(number))
            return PortalDates::fromEpochNumber(number);
    }
    return clock.now();
}

} // namespace

quint64 FeedParser::djb2(const QByteArray& bytes)
{
    quint64 hash = 5381;
    for (const char byte : bytes)
        hash = hash * 33 + static_cast<unsigned char>(byte);
    return hash;
}

QString FeedParser::fallbackIdentifier(const QString& source, const QString& title,
                                       const QString& newsDateStr, const QString& announcementUrl)
{
    const QString joined = source + QLatin1Char('|') + title + QLatin1Char('|') + newsDateStr +
                           QLatin1Char('|') + announcementUrl;
    return QStringLiteral("se_") + QString::number(djb2(joined.toUtf8()), 16);
}

QString FeedParser::completeLink(QString announcementUrl, const QString& locale, const QString& origin)
{
    if (announcementUrl.isEmpty())
        return origin;
    if (locale == QLatin1String("ar"))
        announcementUrl.replace(QLatin1String("locale=en"), QLatin1String("locale=ar"));
    if (!announcementUrl.startsWith(QLatin1String("http")))
        return origin + announcementUrl;
    return announcementUrl;
}

std::optional<AnnouncementList>
FeedParser::parseAnnouncementResponse(const QByteArray& data, const QString& source, const QString& locale,
                                      const QString& origin, const Clock& clock)
{
    const auto unusable = [&source]() -> std::optional<AnnouncementList> {
        Log::line(QStringLiteral("Fetcher"),
                  QStringLiteral("Failed to parse ") + source + QStringLiteral(" JSON"));
        return std::nullopt;
    };

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return unusable();
    const QJsonObject top = document.object();
    const auto list = top.constFind(QLatin1String("announcementList"));
    if (list == top.constEnd() || !list->isArray())
        return unusable();
    const QJsonArray items = list->toArray();
    for (const QJsonValue& item : items) {
        if (!item.isObject())
            return unusable();
    }

    AnnouncementList result;
    result.reserve(items.size());
    for (const QJsonValue& item : items) {
        const ItemFields fields = readItem(item.toObject());
        const auto pressReleaseId = pressReleaseIdentifier(fields.pressReleaseId);
        QString id = pressReleaseId
                         ? *pressReleaseId
                         : fallbackIdentifier(source, fields.title, fields.newsDateStr, fields.url);
        QStringList companies;
        if (!fields.symbol.isEmpty())
            companies.append(fields.symbol);
        result.append(Announcement(std::move(id), fields.title, fields.description,
                                   completeLink(fields.url, locale, origin), publicationDate(fields, clock),
                                   std::move(companies)));
    }
    return result;
}
