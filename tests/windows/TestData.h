#pragma once

#include "model/Announcement.h"
#include "platform/gui/UrlOpener.h"
#include "support/TestFiles.h"
#include "windows/AnnouncementWindow.h"

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

// An announcement window's services: recorded opener, a test portal origin, a UI-state file in `folder`.
inline AnnouncementWindow::Services services(UrlOpener& opener, const QString& folder)
{
    return {&opener, QUrl(QStringLiteral("https://portal.example.test")),
            folder + QStringLiteral("/ui-state.json")};
}

inline QByteArray file(const QString& relativePath)
{
    return readFile(qEnvironmentVariable("ZELVORA_TEST_DATA") + QLatin1Char('/') + relativePath);
}
} // namespace TestData
