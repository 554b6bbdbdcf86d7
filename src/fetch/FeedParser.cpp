#include "fetch/FeedParser.h"

#include "fetch/AnnouncementCache.h"
#include "fetch/PortalDates.h"
#include "infra/LogCategories.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
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

std::optional<Instant> statedDate(const ItemFields& fields)
{
    if (!fields.newsDateStr.isEmpty())
        return PortalDates::parseNumeric(fields.newsDateStr);
    if (fields.timestamp.isString()) {
        const QString text = fields.timestamp.toString();
        if (!text.isEmpty())
            return PortalDates::parseTimestamp(text);
    } else if (fields.timestamp.isDouble()) {
        const double number = fields.timestamp.toDouble();
        if (std::isfinite(number))
            return PortalDates::fromEpochNumber(number);
    }
    return std::nullopt;
}

// A date more than a day ahead of the fetch is not believed: it would sort first and never age out.
Instant publicationDate(const ItemFields& fields, const Clock& clock)
{
    const Instant now = clock.now();
    const auto stated = statedDate(fields);
    if (!stated || *stated > now.addSeconds(AnnouncementCache::kFutureToleranceSeconds))
        return now;
    return *stated;
}

bool isWebUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// The portal's own "/path" links: the origin followed by the text, as delivered. Anything else is a
// URL reference; concatenating it could change the host ("@evil.example/x").
QString resolvedLink(const QString& announcementUrl, const QString& origin)
{
    if (announcementUrl.startsWith(QLatin1Char('/')) && !announcementUrl.startsWith(QLatin1String("//")) &&
        !announcementUrl.startsWith(QLatin1String("/\\")))
        return origin + announcementUrl;
    const QUrl reference(announcementUrl);
    if (!reference.isValid())
        return origin;
    if (!reference.isRelative())
        return isWebUrl(reference) ? announcementUrl : origin;
    const QUrl resolved = QUrl(origin + QLatin1Char('/')).resolved(reference);
    return isWebUrl(resolved) ? resolved.toString(QUrl::FullyEncoded) : origin;
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
    const QString link = resolvedLink(announcementUrl, origin);
    return link.size() <= kMaxLinkLength ? link : origin;
}

QString FeedParser::capped(const QString& text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = maxLength - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut; // never split a surrogate pair
    return text.left(cut) + QChar(0x2026);
}

std::optional<AnnouncementList>
FeedParser::parseAnnouncementResponse(const QByteArray& data, const QString& source, const QString& locale,
                                      const QString& origin, const Clock& clock, qsizetype maxItems)
{
    const auto unusable = [&source]() -> std::optional<AnnouncementList> {
        qCInfo(lcFetcher, "Failed to parse %s JSON", qUtf8Printable(source));
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
    const qsizetype count = std::min(items.size(), std::max(maxItems, qsizetype{0}));
    result.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonValue item = items.at(i);
        const ItemFields fields = readItem(item.toObject());
        const auto pressReleaseId = pressReleaseIdentifier(fields.pressReleaseId);
        QString id = pressReleaseId
                         ? *pressReleaseId
                         : fallbackIdentifier(source, fields.title, fields.newsDateStr, fields.url);
        QStringList companies;
        if (!fields.symbol.isEmpty())
            companies.append(capped(fields.symbol, kMaxSymbolLength));
        result.append(Announcement(std::move(id), capped(fields.title, kMaxTitleLength),
                                   capped(fields.description, kMaxDescriptionLength),
                                   completeLink(fields.url, locale, origin), publicationDate(fields, clock),
                                   std::move(companies)));
    }
    return result;
}
