#include "syndication/FeedFiles.h"

#include "infra/LogCategories.h"
#include "syndication/AtomFeed.h"
#include "syndication/FeedContent.h"
#include "syndication/JsonFeed.h"

#include <QCryptographicHash>
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
    const FeedContent content(announcements, m_portalOrigin, language, now);
    const bool atom = replace(Format::Atom, AtomFeed::document(content));
    return replace(Format::Json, JsonFeed::document(content)) && atom;
}

bool FeedFiles::replace(Format format, const QByteArray& bytes)
{
    // A digest, not the bytes: the tray program keeps this for its whole life.
    QByteArray& written = m_written[static_cast<int>(format)];
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    if (digest == written && QFile::exists(path(format)))
        return true;
    QDir().mkpath(m_directory);
    QSaveFile file(path(format));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCInfo(lcFetcher, "Cannot write %s: %s", qUtf8Printable(path(format)),
               qUtf8Printable(file.errorString()));
        written.clear();
        return false;
    }
    written = digest;
    return true;
}
