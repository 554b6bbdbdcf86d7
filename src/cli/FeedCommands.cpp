#include "cli/FeedCommands.h"

#include "cli/CommandLine.h"
#include "cli/DemoMode.h"
#include "cli/TerminalText.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/AnnouncementFetcher.h"
#include "fetch/PortalOrigin.h"
#include "model/AppPaths.h"
#include "model/Clock.h"
#include "model/Log.h"
#include "model/Preferences.h"
#include "model/RiyadhTime.h"
#include "notify/NotificationManager.h"
#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cstdio>

namespace {

void printError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

struct Options
{
    bool json = false;
    bool demo = false;
};

// Parses the options a feed command accepts and starts the demo portal when asked; returns an exit
// status on error, or -1 to go on.
int prepare(QStringList& arguments, bool acceptJson, bool acceptNetwork, Options& options, DemoMode* demo)
{
    if (acceptNetwork) {
        options.demo = DemoMode::takeOption(arguments);
        QString error;
        if (!PortalOrigin::takeOption(arguments, &error))
            return CommandLine::usageError(error);
    }
    if (acceptJson)
        options.json = arguments.removeAll(QStringLiteral("--json")) > 0;
    if (!arguments.isEmpty())
        return CommandLine::usageError(QStringLiteral("unexpected argument '%1'").arg(arguments.first()));
    if (options.json || !acceptNetwork)
        Log::useStandardError(true); // standard output holds only the data
    if (options.demo) {
        QString error;
        if (!demo->start(&error))
            return CommandLine::failure(error);
        if (options.json)
            printError(demo->banner());
        else
            CommandLine::printOut(demo->banner());
    }
    return -1;
}

void printLines(const AnnouncementList& all, const QSet<QString>& newIds)
{
    for (const Announcement& announcement : all)
        CommandLine::printOut(
            (newIds.contains(announcement.id()) ? QStringLiteral("* ") : QStringLiteral("  ")) +
            FeedCommands::line(announcement));
}

} // namespace

void FeedCommands::registerIn(CommandLine& commandLine, const DemoPortalFactory& demoPortal)
{
    commandLine.addCommand(
        {QStringLiteral("poll"), QStringLiteral("poll [--json] [--demo] [--portal ORIGIN]"),
         QStringLiteral("Run one poll cycle (cache, seen set and last-poll date updated) and print "
                        "the kept announcements, new ones marked with *; exit 1 when both feeds "
                        "failed"),
         CommandLine::AppKind::Core,
         [demoPortal](const QStringList& arguments) { return poll(arguments, demoPortal); }});
    commandLine.addCommand({QStringLiteral("list"), QStringLiteral("list [--json]"),
                            QStringLiteral("Print the cached announcements (no network)"),
                            CommandLine::AppKind::Core, &FeedCommands::list});
    commandLine.addCommand(
        {QStringLiteral("watch"), QStringLiteral("watch [--demo] [--portal ORIGIN]"),
         QStringLiteral("Poll at the stored interval and print each new announcement until "
                        "interrupted"),
         CommandLine::AppKind::Core,
         [demoPortal](const QStringList& arguments) { return watch(arguments, demoPortal); }});
}

QString FeedCommands::line(const Announcement& announcement)
{
    const QString date = RiyadhTime::format(announcement.pubDate(), QStringLiteral("yyyy-MM-dd HH:mm"),
                                            QLocale(QLocale::English, QLocale::UnitedStates));
    const QString symbols = announcement.companies().isEmpty()
                                ? QStringLiteral("-")
                                : announcement.companies().join(QLatin1Char(','));
    return TerminalText::clean(date + QStringLiteral("  ") + symbols + QStringLiteral("  ") +
                               announcement.displayTitle() + QStringLiteral("  ") + announcement.link());
}

QByteArray FeedCommands::json(const AnnouncementList& newAnnouncements, const AnnouncementList& all,
                              bool error)
{
    auto array = [](const AnnouncementList& list) {
        QJsonArray out;
        for (const Announcement& announcement : list)
            out.append(AnnouncementCache::toJson(announcement));
        return out;
    };
    const QJsonObject object{{QStringLiteral("new"), array(newAnnouncements)},
                             {QStringLiteral("all"), array(all)},
                             {QStringLiteral("error"), error}};
    return TerminalText::escapeJson(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int FeedCommands::poll(QStringList arguments, const DemoPortalFactory& demoPortal)
{
    Options options;
    DemoMode demo(demoPortal);
    if (const int status = prepare(arguments, true, true, options, &demo); status >= 0)
        return status;

    AnnouncementFetcher& fetcher = AnnouncementFetcher::shared();
    // A one-shot process would always be a first poll; it is one only on the very first run.
    fetcher.setFirstPoll(Preferences::shared().seenAnnouncementIDs().isEmpty());
    AnnouncementsUpdate result;
    fetcher.poll([&result](const AnnouncementsUpdate& update) {
        result = update;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    if (options.json) {
        const QByteArray bytes = json(result.newAnnouncements, result.all, result.error);
        CommandLine::printOut(QString::fromUtf8(bytes));
    } else {
        QSet<QString> newIds;
        for (const Announcement& announcement : std::as_const(result.newAnnouncements))
            newIds.insert(announcement.id());
        printLines(result.all, newIds);
        CommandLine::printOut(
            QStringLiteral("%1 new, %2 kept").arg(result.newAnnouncements.size()).arg(result.all.size()));
    }
    if (result.error) {
        printError(QStringLiteral("zelvora: both feeds failed"));
        return CommandLine::Failure;
    }
    return CommandLine::Success;
}

int FeedCommands::list(QStringList arguments)
{
    Options options;
    if (const int status = prepare(arguments, true, false, options, nullptr); status >= 0)
        return status;
    const AnnouncementList all = AnnouncementCache(AppPaths::cacheDirectory())
                                     .load(Clock::system().now())
                                     .value_or(AnnouncementList());
    if (options.json) {
        QJsonArray array;
        for (const Announcement& announcement : all)
            array.append(AnnouncementCache::toJson(announcement));
        CommandLine::printOut(
            QString::fromUtf8(TerminalText::escapeJson(QJsonDocument(array).toJson(QJsonDocument::Compact))));
        return CommandLine::Success;
    }
    printLines(all, {});
    CommandLine::printOut(QStringLiteral("%1 kept").arg(all.size()));
    return CommandLine::Success;
}

int FeedCommands::watch(QStringList arguments, const DemoPortalFactory& demoPortal)
{
    Options options;
    DemoMode demo(demoPortal);
    if (const int status = prepare(arguments, false, true, options, &demo); status >= 0)
        return status;
    // SIGINT and SIGTERM end the event loop, so a poll's writes are never cut short.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, QCoreApplication::instance(),
                     [] { QCoreApplication::quit(); });

    AnnouncementFetcher& fetcher = AnnouncementFetcher::shared();
    bool announced = false;
    QObject::connect(&Broadcaster::shared(), &Broadcaster::announcementsUpdated, QCoreApplication::instance(),
                     [&announced](const AnnouncementsUpdate& update) {
                         if (!announced && !update.error) {
                             announced = true;
                             CommandLine::printOut(
                                 QStringLiteral("Watching %1 (%2 kept); polling every %3 s. Ctrl+C to stop.")
                                     .arg(PortalOrigin::current())
                                     .arg(update.all.size())
                                     .arg(Preferences::shared().pollInterval()));
                         }
                         for (const Announcement& announcement : update.newAnnouncements) {
                             CommandLine::printOut(line(announcement));
                             NotificationManager::shared().sendNotification(announcement);
                         }
                     });
    fetcher.startPolling();
    QCoreApplication::exec();
    return CommandLine::Success;
}
