#include "cli/FeedCommands.h"

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "context/Startup.h"
#include "fetch/AnnouncementCache.h"
#include "fetch/AnnouncementFetcher.h"
#include "fetch/IssuerDirectory.h"
#include "history/HistoryStore.h"
#include "model/AnnouncementCategory.h"
#include "model/AnnouncementSearch.h"
#include "model/Preferences.h"
#include "model/RiyadhTime.h"
#include "notify/MorningDigestSchedule.h"
#include "outputs/OutboxService.h"
#include "platform/ServiceNotifier.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimer>
#include <cstdio>

namespace {

void printError(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

const QString kJson = QStringLiteral("json");
constexpr int kDeliveryWaitMs = 20000;
const QString kGrep = QStringLiteral("grep");
const QString kCategory = QStringLiteral("category");
const QString kUnread = QStringLiteral("unread");

QCommandLineOption jsonOption()
{
    return {kJson, QStringLiteral("Print JSON (log lines go to standard error)")};
}

// An exit status for arguments a feed command does not take, or -1 to go on.
int refuseArguments(const QCommandLineParser& parsed)
{
    if (parsed.positionalArguments().isEmpty())
        return -1;
    return CommandLine::usageError(
        QStringLiteral("unexpected argument '%1'").arg(parsed.positionalArguments().first()));
}

// Opens the start-up of a command that polls; an exit status on error, or -1 to go on. The demo's
// banner goes to standard error when standard output holds JSON.
int open(Startup& startup, const QCommandLineParser& parsed, const QString& teller, bool json)
{
    if (const int status = refuseArguments(parsed); status >= 0)
        return status;
    if (const auto failure = startup.open(parsed, teller))
        return failure->usage ? CommandLine::usageError(failure->message)
                              : CommandLine::failure(failure->message);
    if (const QString banner = startup.demoBanner(); !banner.isEmpty())
        json ? printError(banner) : CommandLine::printOut(banner);
    return -1;
}

// "2026-03-25 15:35", Riyadh time.
QString minuteText(Instant instant)
{
    return RiyadhTime::format(instant, QStringLiteral("yyyy-MM-dd HH:mm"),
                              QLocale(QLocale::English, QLocale::UnitedStates));
}

void printLines(const AnnouncementList& all, const QSet<QString>& newIds)
{
    for (const Announcement& announcement : all)
        CommandLine::printOut(
            (newIds.contains(announcement.id()) ? QStringLiteral("* ") : QStringLiteral("  ")) +
            FeedCommands::line(announcement));
}

} // namespace

void FeedCommands::registerIn(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.addCommand(
        {QStringLiteral("poll"), QStringLiteral("poll [--json] [--demo] [--portal ORIGIN]"),
         QStringLiteral("Run one poll cycle (archive, cache, seen set and last-poll date updated) and "
                        "print the kept announcements, new ones marked with *; exit 1 when both "
                        "feeds failed or the archive could not be saved"),
         CommandLine::AppKind::Core, QList<QCommandLineOption>{jsonOption()} + Startup::options(),
         [environment](const QCommandLineParser& parsed) { return poll(parsed, environment); },
         [](const QCommandLineParser& parsed) { return parsed.isSet(kJson); }});
    commandLine.addCommand(
        {QStringLiteral("list"),
         QStringLiteral("list [--json] [--grep TEXT] [--category KEY] [--unread]"),
         QStringLiteral("Print the cached announcements (no network), or those whose title, "
                        "text, symbol or company name holds every word of TEXT, or of one category"),
         CommandLine::AppKind::Core,
         {jsonOption(),
          {kGrep, QStringLiteral("Only the announcements holding every word of TEXT"),
           QStringLiteral("TEXT")},
          {kCategory,
           QStringLiteral("Only the announcements of this category: %1")
               .arg(AnnouncementCategory::keys().join(QStringLiteral(", "))),
           QStringLiteral("KEY")},
          {kUnread, QStringLiteral("Only the unread announcements")}},
         [environment](const QCommandLineParser& parsed) { return list(parsed, environment); },
         [](const QCommandLineParser&) { return true; }});
    commandLine.addCommand(
        {QStringLiteral("watch"), QStringLiteral("watch [--demo] [--portal ORIGIN]"),
         QStringLiteral("Poll at the stored interval and print each new announcement until "
                        "interrupted"),
         CommandLine::AppKind::Core, Startup::options(),
         [environment](const QCommandLineParser& parsed) { return watch(parsed, environment); }});
}

QString FeedCommands::line(const Announcement& announcement)
{
    // The command line is English, with the time shown as everywhere else.
    const QString date =
        announcement.displayDate(Instant::now(), QLocale(QLocale::English, QLocale::UnitedStates));
    const QString symbols = announcement.companies().isEmpty()
                                ? QStringLiteral("-")
                                : announcement.companies().join(QLatin1Char(','));
    return TerminalText::clean(date + QStringLiteral("  ") + symbols + QStringLiteral("  ") +
                               announcement.displayTitle() + QStringLiteral("  ") + announcement.link());
}

QJsonObject FeedCommands::toJson(const Announcement& announcement)
{
    QJsonObject object = AnnouncementCache::toJson(announcement);
    object.insert(QStringLiteral("category"),
                  AnnouncementCategory::key(AnnouncementCategory::of(announcement)));
    return object;
}

QByteArray FeedCommands::json(const AnnouncementList& newAnnouncements, const AnnouncementList& all,
                              bool error, const RuleSet& rules)
{
    QJsonArray fresh;
    for (const Announcement& announcement : newAnnouncements) {
        QJsonObject object = toJson(announcement);
        const auto match = rules.firstMatch(announcement);
        object.insert(QStringLiteral("rule"), match ? QJsonValue(match->rule) : QJsonValue());
        fresh.append(object);
    }
    QJsonArray kept;
    for (const Announcement& announcement : all)
        kept.append(toJson(announcement));
    const QJsonObject object{
        {QStringLiteral("new"), fresh}, {QStringLiteral("all"), kept}, {QStringLiteral("error"), error}};
    return TerminalText::escapeJson(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int FeedCommands::poll(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    const bool asJson = parsed.isSet(kJson);
    Startup startup(environment);
    // It prints what is new but tells no one: the tray program still notifies it.
    if (const int status = open(startup, parsed, QString(), asJson); status >= 0)
        return status;
    AppContext& context = startup.context();
    AnnouncementFetcher& fetcher = context.fetcher();
    AnnouncementsUpdate result;
    QObject::connect(
        &fetcher, &AnnouncementFetcher::pollFinished, &fetcher,
        [&result](const AnnouncementsUpdate& update) {
            result = update;
            QCoreApplication::quit();
        },
        Qt::SingleShotConnection);
    bool delivered = false;
    QObject::connect(&context.outbox(), &OutboxService::ran, &fetcher, [&delivered] {
        delivered = true;
        QCoreApplication::quit();
    });
    fetcher.poll();
    QCoreApplication::exec();

    if (asJson) {
        const QByteArray bytes =
            json(result.newAnnouncements, result.all, result.error, context.preferences().ruleSet());
        CommandLine::printOut(QString::fromUtf8(bytes));
    } else {
        QSet<QString> newIds;
        for (const Announcement& announcement : std::as_const(result.newAnnouncements))
            newIds.insert(announcement.id());
        printLines(result.all, newIds);
        CommandLine::printOut(
            QStringLiteral("%1 new, %2 kept").arg(result.newAnnouncements.size()).arg(result.all.size()));
    }
    // What the poll owes the outputs goes out within a bounded wait; what is left, any Zelvora
    // process that runs later sends.
    if (!delivered && !context.preferences().outputs().isEmpty()) {
        QTimer::singleShot(kDeliveryWaitMs, &fetcher, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
    }
    context.outbox().stop();
    if (result.error) {
        printError(QStringLiteral("zelvora: both feeds failed"));
        return CommandLine::Failure;
    }
    if (!result.status.storageProblem().isEmpty()) {
        printError(QStringLiteral("zelvora: ") + result.status.storageProblem());
        return CommandLine::Failure;
    }
    return CommandLine::Success;
}

int FeedCommands::list(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    if (const int status = refuseArguments(parsed); status >= 0)
        return status;
    std::optional<AnnouncementCategory::Kind> category;
    if (parsed.isSet(kCategory)) {
        category = AnnouncementCategory::fromKey(parsed.value(kCategory));
        if (!category)
            return CommandLine::usageError(
                QStringLiteral("unknown category '%1' (one of %2)")
                    .arg(parsed.value(kCategory), AnnouncementCategory::keys().join(QStringLiteral(", "))));
    }
    AnnouncementList all = AnnouncementCache(environment.paths.cacheDirectory())
                               .load(environment.clock->now())
                               .value_or(AnnouncementList());
    if (parsed.isSet(kGrep)) {
        const IssuerDirectory issuers(environment.paths.cacheDirectory());
        all = AnnouncementSearch(
                  all, [&issuers](const QString& symbol) { return issuers.displayName(symbol); }, Watchlist())
                  .filter(parsed.value(kGrep), false);
    }
    if (category)
        all.removeIf([&category](const Announcement& a) { return AnnouncementCategory::of(a) != *category; });
    if (parsed.isSet(kUnread)) {
        QStringList ids;
        for (const Announcement& announcement : std::as_const(all))
            ids.append(announcement.id());
        const QSet<QString> unread =
            HistoryStore(HistoryStore::pathIn(environment.paths.cacheDirectory()), {}).unread(ids);
        all.removeIf(
            [&unread](const Announcement& announcement) { return !unread.contains(announcement.id()); });
    }
    if (parsed.isSet(kJson)) {
        QJsonArray array;
        for (const Announcement& announcement : all)
            array.append(toJson(announcement));
        CommandLine::printOut(
            QString::fromUtf8(TerminalText::escapeJson(QJsonDocument(array).toJson(QJsonDocument::Compact))));
        return CommandLine::Success;
    }
    printLines(all, {});
    CommandLine::printOut(QStringLiteral("%1 kept").arg(all.size()));
    return CommandLine::Success;
}

int FeedCommands::watch(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    Startup startup(environment);
    if (const int status = open(startup, parsed, QStringLiteral("watch"), false); status >= 0)
        return status;
    // Under systemd: ready once the first poll has ended, answered or not, and watchdog pings meanwhile.
    ServiceNotifier service;
    startup.keepWatching([&service] { service.notifyStopping(); });
    AppContext& context = startup.context();
    AnnouncementFetcher& fetcher = context.fetcher();
    bool announced = false;
    QObject::connect(&fetcher, &AnnouncementFetcher::pollFinished, &fetcher,
                     [&announced, &context, &service](const AnnouncementsUpdate& update) {
                         if (!announced && !update.error) {
                             announced = true;
                             CommandLine::printOut(
                                 QStringLiteral("Watching %1 (%2 kept); polling every %3 s. Ctrl+C to stop.")
                                     .arg(context.portalOrigin())
                                     .arg(update.all.size())
                                     .arg(context.preferences().pollInterval()));
                         }
                         for (const Announcement& announcement : update.newAnnouncements)
                             CommandLine::printOut(line(announcement));
                         service.notifyStatus(
                             QStringLiteral("Last poll %1: %2 new, %3 kept%4")
                                 .arg(minuteText(context.clock().now()))
                                 .arg(update.newAnnouncements.size())
                                 .arg(update.all.size())
                                 .arg(update.error ? QStringLiteral("; no feed answered") : QString()));
                         service.notifyReady();
                     });
    QObject::connect(&startup.digests(), &MorningDigestSchedule::due, &fetcher,
                     [](const MorningDigest& digest) { CommandLine::printOut(digest.line()); });
    fetcher.startPolling();
    QCoreApplication::exec();
    return CommandLine::Success;
}
