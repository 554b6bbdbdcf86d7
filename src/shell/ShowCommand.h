#pragma once

#include "model/Announcement.h"

#include <QStringList>
#include <optional>

class CommandLine;

// `zelvora show ID [--html]`: one kept announcement from the cache file, as readable text or as the
// page document its window loads.
class ShowCommand
{
public:
    explicit ShowCommand(QString cacheFile);
    static void registerIn(CommandLine& commandLine);
    int run(const QStringList& arguments);

    // The readable form: emoji and title, date, companies, link, then the plain description.
    static QString describe(const Announcement& announcement);

private:
    std::optional<AnnouncementList> readCache(QString* error) const;

    QString m_cacheFile;
};
