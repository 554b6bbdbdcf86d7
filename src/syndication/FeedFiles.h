#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"

#include <QByteArray>
#include <QString>

// The two feed files for other readers, "announcements.atom" and "announcements.json", beside the cache
// file. Each is replaced atomically, so a reader never sees half a feed; a file whose content has not
// changed since this object last wrote it is left alone.
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
    bool replace(Format format, const QByteArray& bytes);

    QString m_directory;
    QString m_portalOrigin;
    QByteArray m_written[2]; // by Format: the SHA-256 of what was last written
};
