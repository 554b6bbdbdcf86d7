#include "syndication/FeedFiles.h"

#include "infra/LogCategories.h"
#include "syndication/AtomFeed.h"
#include "syndication/FeedContent.h"
#include "syndication/JsonFeed.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

FeedFiles::FeedFiles(QString directory, QString portalOrigin)
    : m_directory(std::move(directory)), m_portalOrigin(std::move(portalOrigin))
{
}

QString FeedFiles::path(Format format) const
{
    return QDir(m_directory)
        .filePath(format == Format::Atom ? QStringLiteral("announcements.atom")
                                         : QStringLiteral("announcements.json"));
}

bool FeedFiles::write(const AnnouncementList& announcements, const QString& language, Instant now)
{
    // Most polls change nothing: comparing the lists (shared with the kept list) costs next to nothing,
    // building and writing both documents a few milliseconds and two files.
    if (m_written && m_written->first == announcements && m_written->second == language &&
        QFile::exists(path(Format::Atom)) && QFile::exists(path(Format::Json)))
        return true;
    m_written.reset();
    const FeedContent content(announcements, m_portalOrigin, language, now);
    QDir().mkpath(m_directory);
    const bool atom = replace(Format::Atom, AtomFeed::document(content));
    if (!replace(Format::Json, JsonFeed::document(content)) || !atom)
        return false;
    m_written.emplace(announcements, language);
    return true;
}

bool FeedFiles::replace(Format format, const QByteArray& bytes) const
{
    QSaveFile file(path(format));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCInfo(lcFetcher, "Cannot write %s: %s", qUtf8Printable(path(format)),
               qUtf8Printable(file.errorString()));
        return false;
    }
    return true;
}
