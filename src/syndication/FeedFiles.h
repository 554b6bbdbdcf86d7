#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

// The two feed files for other readers, "announcements.atom" and "announcements.json", beside the cache
// file. Each is replaced atomically, so a reader never sees half a feed. The files are left alone while
// the announcements and language are those this object last wrote.
class FeedFiles
{
public:
    enum class Format { Atom, Json };

    FeedFiles(QString directory, QString portalOrigin);

    QString path(Format format) const;
    // Writes both feeds of `announcements` (newest first); logs and returns false when one could not be
    // written, which keeps that file's previous version.
    bool write(const AnnouncementList& announcements, const QString& language, Instant now);

private:
    bool replace(Format format, const QByteArray& bytes) const;

    QString m_directory;
    QString m_portalOrigin;
    std::optional<std::pair<AnnouncementList, QString>> m_written; // announcements and language
};
