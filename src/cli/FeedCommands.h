#pragma once

#include "context/AppEnvironment.h"
#include "model/Announcement.h"
#include "model/RuleSet.h"

#include <QCommandLineParser>
#include <QJsonObject>

class CommandLine;

// The headless front of the feed: `poll` (one cycle, then print), `list` (the cached list, no network)
// and `watch` (poll at the stored interval, print new announcements, until SIGINT/SIGTERM).
class FeedCommands
{
public:
    static void registerIn(CommandLine& commandLine, const AppEnvironment& environment);

    static int poll(const QCommandLineParser& parsed, const AppEnvironment& environment);
    static int list(const QCommandLineParser& parsed, const AppEnvironment& environment);
    static int watch(const QCommandLineParser& parsed, const AppEnvironment& environment);

    // "2026-03-25 15:35  2222  Title  https://..." (Riyadh time; "-" when no symbol).
    static QString line(const Announcement& announcement);
    // The cache file's six keys and "category".
    static QJsonObject toJson(const Announcement& announcement);
    // {"new":[...],"all":[...],"error":false}; each new one also names the first rule it matches as "rule"
    // (null for none).
    static QByteArray json(const AnnouncementList& newAnnouncements, const AnnouncementList& all, bool error,
                           const RuleSet& rules);
};
