#pragma once

#include "model/Announcement.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// The kept list on disk: "announcements_cache.json", a compact JSON array of objects with exactly the
// keys id, title, description, link, pubDate (seconds since 2001-01-01 UTC) and companies. Only the
// last 30 days are written or read. Failures change nothing in memory (the file is a copy of the archive's
// recent records, for other tools and older versions).
class AnnouncementCache
{
public:
    static constexpr double kRetentionSeconds = 2'592'000.0; // 30 days
    // A record dated further ahead than this is not kept: it would sort first and never age out.
    static constexpr double kFutureToleranceSeconds = 86'400.0;
    static inline const QString fileName = QStringLiteral("announcements_cache.json");

    explicit AnnouncementCache(QString directory);

    // The file's path; creates the folder (and its parents) each time, ignoring failure.
    QString cacheFilePath() const;

    // The recent entries in file order, or none when the file is missing or not an array of complete
    // elements (one bad element discards the whole file).
    std::optional<AnnouncementList> load(Instant now) const;
    // Writes the recent entries (temporary file + rename, so a failed write leaves the old file).
    bool save(const AnnouncementList& announcements, Instant now, QString* error = nullptr) const;
    bool remove() const;

    // Within the 30 days before `now` and not more than a day after it.
    static bool isWithinWindow(const Announcement& announcement, Instant now);

    static QJsonObject toJson(const Announcement& announcement);
    static std::optional<Announcement> fromJson(const QJsonValue& value);
    static QByteArray encode(const AnnouncementList& announcements); // compact JSON array
    static std::optional<AnnouncementList> decode(const QByteArray& bytes);

private:
    QString m_directory;
};
