#pragma once

#include "model/Announcement.h"

#include <QStringList>
class CommandLine;

// `zelvora show ID [--html]`: one kept announcement from the cache file, as readable text or as the
// page document its window loads.
class ShowCommand
{
public:
    explicit ShowCommand(QString cacheDirectory); // the folder holding the cache file
    static void registerIn(CommandLine& commandLine);
    int run(const QStringList& arguments);

    // The readable form: emoji and title, date, companies, link, then the plain description.
    static QString describe(const Announcement& announcement);

private:
    QString m_cacheDirectory;
};
