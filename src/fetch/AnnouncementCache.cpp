#include "fetch/AnnouncementCache.h"

#include "infra/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cmath>

AnnouncementCache::AnnouncementCache(QString directory) : m_directory(std::move(directory)) {}

bool AnnouncementCache::isWithinWindow(const Announcement& announcement, Instant now)
{
    return announcement.pubDate() > now.addSeconds(-kRetentionSeconds) &&
           announcement.pubDate() <= now.addSeconds(kFutureToleranceSeconds);
}

QString AnnouncementCache::cacheFilePath() const
{
    QDir().mkpath(m_directory);
    return m_directory + QLatin1Char('/') + fileName;
}

QJsonObject AnnouncementCache::toJson(const Announcement& announcement)
{
    return QJsonObject{
        {QStringLiteral("id"), announcement.id()},
        {QStringLiteral("title"), announcement.title()},
        {QStringLiteral("description"), announcement.description()},
        {QStringLiteral("link"), announcement.link()},
        {QStringLiteral("pubDate"), announcement.pubDate().referenceSeconds()},
        {QStringLiteral("companies"), QJsonArray::fromStringList(announcement.companies())},
    };
}

std::optional<Announcement> AnnouncementCache::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue title = object.value(QLatin1String("title"));
    const QJsonValue description = object.value(QLatin1String("description"));
    const QJsonValue link = object.value(QLatin1String("link"));
    const QJsonValue pubDate = object.value(QLatin1String("pubDate"));
    const QJsonValue companies = object.value(QLatin1String("companies"));
    if (!id.isString() || !title.isString() || !description.isString() || !link.isString() ||
        !pubDate.isDouble() || !std::isfinite(pubDate.toDouble()) || !companies.isArray())
        return std::nullopt;
    QStringList symbols;
    for (const QJsonValue& symbol : companies.toArray()) {
        if (!symbol.isString())
            return std::nullopt;
        symbols.append(symbol.toString());
    }
    return Announcement(id.toString(), title.toString(), description.toString(), link.toString(),
                        Instant::fromReferenceSeconds(pubDate.toDouble()), std::move(symbols));
}

// Through QJsonDocument: about 2 ms of CPU for a full list (bench_fetch BM_EncodeCache), once a poll.
QByteArray AnnouncementCache::encode(const AnnouncementList& announcements)
{
    QJsonArray array;
    for (const Announcement& announcement : announcements)
        array.append(toJson(announcement));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<AnnouncementList> AnnouncementCache::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    AnnouncementList result;
    result.reserve(array.size());
    for (const QJsonValue& element : array) {
        auto announcement = fromJson(element);
        if (!announcement)
            return std::nullopt;
        result.append(std::move(*announcement));
    }
    return result;
}

std::optional<AnnouncementList> AnnouncementCache::load(Instant now) const
{
    QFile file(cacheFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    auto all = decode(file.readAll());
    if (!all)
        return std::nullopt;
    AnnouncementList recent;
    recent.reserve(all->size());
    for (const Announcement& announcement : std::as_const(*all)) {
        if (isWithinWindow(announcement, now))
            recent.append(announcement);
    }
    return recent;
}

bool AnnouncementCache::save(const AnnouncementList& announcements, Instant now, QString* error) const
{
    AnnouncementList recent;
    recent.reserve(announcements.size());
    for (const Announcement& announcement : announcements) {
        if (isWithinWindow(announcement, now))
            recent.append(announcement);
    }
    QSaveFile file(cacheFilePath());
    if (file.open(QIODevice::WriteOnly) && file.write(encode(recent)) >= 0 && file.commit())
        return true;
    // The old file stays; the caller says so once, not at every poll of a full disk.
    if (error)
        *error = file.errorString();
    return false;
}

bool AnnouncementCache::remove() const
{
    return QFile::remove(cacheFilePath());
}
