#pragma once

#include "model/Announcement.h"

#include <QFile>
#include <QString>

// Records shaped like the portal's, shared by the window tests.
namespace TestData {
inline Announcement
announcement(const QString& id, const QString& title, const QStringList& companies = {},
             const QString& description = QString(),
             const QString& link = QStringLiteral("https://www.saudiexchange.sa/wps/portal/1"))
{
    return Announcement(id, title, description, link, Instant::fromReferenceSeconds(794325900.0), companies);
}

inline AnnouncementList many(int count)
{
    AnnouncementList list;
    for (int i = 0; i < count; ++i)
        list.append(
            announcement(QStringLiteral("se_%1").arg(i), QStringLiteral("Announcement number %1").arg(i),
                         {QStringLiteral("%1").arg(1000 + i)}, QStringLiteral("<p>Body %1</p>").arg(i)));
    return list;
}

inline QByteArray file(const QString& relativePath)
{
    QFile in(qEnvironmentVariable("ZELVORA_TEST_DATA") + QLatin1Char('/') + relativePath);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}
} // namespace TestData
