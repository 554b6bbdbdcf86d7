#pragma once

#include "model/Announcement.h"

#include <QStringList>
struct AppEnvironment;
class CommandLine;
class Clock;

// `zelvora show ID [--html]`: one kept announcement from the cache file, as readable text or as the
// page document its window loads.
class ShowCommand
{
public:
    ShowCommand(QString cacheDirectory, const Clock& clock); // the folder holding the cache file
    static void registerIn(CommandLine& commandLine, const AppEnvironment& environment);
    int run(const QStringList& arguments, bool html); // arguments: the id

    // The readable form: emoji and title, date, companies, link, then the plain description.
    static QString describe(const Announcement& announcement);

private:
    QString m_cacheDirectory;
    const Clock& m_clock;
};
