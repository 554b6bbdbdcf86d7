#include "cli/HistoryCommands.h"

#include "cli/CommandLine.h"
#include "cli/FeedCommands.h"
#include "cli/TerminalText.h"
#include "context/AppEnvironment.h"
#include "fetch/IssuerDirectory.h"
#include "history/HistoryExport.h"
#include "history/HistoryStore.h"
#include "model/AnnouncementCategory.h"
#include "model/RiyadhTime.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString kSince = QStringLiteral("since");
const QString kUntil = QStringLiteral("until");
const QString kSymbol = QStringLiteral("symbol");
const QString kCategory = QStringLiteral("category");
const QString kLimit = QStringLiteral("limit");
const QString kJson = QStringLiteral("json");
const QString kFormat = QStringLiteral("format");
const QString kQuery = QStringLiteral("query");
const QString kOutput = QStringLiteral("o");
const QString kAll = QStringLiteral("all");

QList<QCommandLineOption> dateOptions()
{
    return {{kSince, QStringLiteral("Only those published on or after this day (Riyadh)"),
             QStringLiteral("YYYY-MM-DD")},
            {kUntil, QStringLiteral("Only those published on or before this day (Riyadh)"),
             QStringLiteral("YYYY-MM-DD")}};
}

// Reads --since and --until into the query; an error text for a malformed day.
QString readDates(const QCommandLineParser& parsed, HistoryQuery& query)
{
    if (parsed.isSet(kSince)) {
        query.since = HistoryCommands::dayStart(parsed.value(kSince));
        if (!query.since)
            return QStringLiteral("--since takes a day as YYYY-MM-DD, not '%1'").arg(parsed.value(kSince));
    }
    if (parsed.isSet(kUntil)) {
        const std::optional<Instant> day = HistoryCommands::dayStart(parsed.value(kUntil));
        if (!day)
            return QStringLiteral("--until takes a day as YYYY-MM-DD, not '%1'").arg(parsed.value(kUntil));
        query.until = day->addSeconds(86400.0); // the whole day (Riyadh keeps no daylight saving)
    }
    return {};
}

struct Archive
{
    IssuerDirectory issuers;
    HistoryStore store;

    explicit Archive(const AppEnvironment& environment)
        : issuers(environment.paths.cacheDirectory()),
          store(HistoryStore::pathIn(environment.paths.cacheDirectory()),
                [this](const QString& symbol) { return issuers.displayName(symbol); })
    {
    }
    // Matches; none when there is no archive yet (nothing ever fetched); nullopt when it cannot be read.
    std::optional<HistoryRecordList> find(const HistoryQuery& query)
    {
        return store.open() ? store.search(query) : HistoryRecordList();
    }
    AnnouncementSearch::CompanyNames names() const
    {
        return [this](const QString& symbol) { return issuers.displayName(symbol); };
    }
};
} // namespace

std::optional<Instant> HistoryCommands::dayStart(const QString& text)
{
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return Instant::fromDateTime(QDateTime(day, QTime(0, 0), RiyadhTime::zone()));
}

void HistoryCommands::registerIn(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.addCommand(
        {QStringLiteral("search"),
         QStringLiteral("search TEXT [--since YYYY-MM-DD] [--until YYYY-MM-DD] [--symbol S] [--category KEY] "
                        "[--limit N] [--json]"),
         QStringLiteral("Print the archived announcements whose title, text, symbol or company name "
                        "holds every word of TEXT, newest first"),
         CommandLine::AppKind::Core,
         dateOptions() +
             QList<QCommandLineOption>{
                 {kSymbol, QStringLiteral("Only those of this company"), QStringLiteral("S")},
                 {kCategory, QStringLiteral("Only those of this category (as list --category takes)"),
                  QStringLiteral("KEY")},
                 {kLimit, QStringLiteral("At most N, the newest (default 100; 0: all)"), QStringLiteral("N")},
                 {kJson, QStringLiteral("Print JSON (log lines go to standard error)")}},
         [environment](const QCommandLineParser& parsed) { return search(parsed, environment); },
         [](const QCommandLineParser&) { return true; }});
    commandLine.addCommand(
        {QStringLiteral("export"),
         QStringLiteral(
             "export --format csv|json [--since YYYY-MM-DD] [--until YYYY-MM-DD] [--query TEXT] -o FILE"),
         QStringLiteral("Write the archived announcements (those holding every word of TEXT) to FILE"),
         CommandLine::AppKind::Core,
         dateOptions() +
             QList<QCommandLineOption>{
                 {kFormat, QStringLiteral("csv or json"), QStringLiteral("FORMAT")},
                 {kQuery, QStringLiteral("Only those holding every word of TEXT"), QStringLiteral("TEXT")},
                 {kOutput, QStringLiteral("The file to write"), QStringLiteral("FILE")}},
         [environment](const QCommandLineParser& parsed) { return exportTo(parsed, environment); }});
    commandLine.addCommand(
        {QStringLiteral("read"),
         QStringLiteral("read ID... | --all"),
         QStringLiteral("Mark announcements read (as opening them does)"),
         CommandLine::AppKind::Core,
         {{kAll, QStringLiteral("Mark every announcement read")}},
         [environment](const QCommandLineParser& parsed) { return read(parsed, environment); }});
}

int HistoryCommands::search(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    HistoryQuery query;
    query.text = parsed.positionalArguments().join(QLatin1Char(' '));
    if (const QString error = readDates(parsed, query); !error.isEmpty())
        return CommandLine::usageError(error);
    query.symbol = parsed.value(kSymbol);
    if (parsed.isSet(kCategory)) {
        if (!AnnouncementCategory::fromKey(parsed.value(kCategory)))
            return CommandLine::usageError(
                QStringLiteral("unknown category '%1' (one of %2)")
                    .arg(parsed.value(kCategory), AnnouncementCategory::keys().join(QStringLiteral(", "))));
        query.category = parsed.value(kCategory);
    }
    if (parsed.isSet(kLimit)) {
        bool number = false;
        query.limit = parsed.value(kLimit).toInt(&number);
        if (!number || query.limit < 0)
            return CommandLine::usageError(
                QStringLiteral("--limit takes a number of 0 or more, not '%1'").arg(parsed.value(kLimit)));
    }
    Archive archive(environment);
    // No archive yet (nothing ever fetched): nothing found.
    const std::optional<HistoryRecordList> found = archive.find(query);
    if (!found)
        return CommandLine::failure(
            QStringLiteral("cannot search the archive: %1").arg(archive.store.errorText()));
    if (parsed.isSet(kJson)) {
        CommandLine::printOut(QString::fromUtf8(TerminalText::escapeJson(HistoryExport::json(*found))));
        return CommandLine::Success;
    }
    for (const HistoryRecord& record : *found)
        CommandLine::printOut((record.read ? QStringLiteral("  ") : QStringLiteral("• ")) +
                              FeedCommands::line(record.announcement));
    CommandLine::printOut(QStringLiteral("%1 found").arg(found->size()));
    return CommandLine::Success;
}

int HistoryCommands::exportTo(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    if (!parsed.positionalArguments().isEmpty())
        return CommandLine::usageError(
            QStringLiteral("unexpected argument '%1'").arg(parsed.positionalArguments().first()));
    const QString format = parsed.value(kFormat);
    if (format != QLatin1String("csv") && format != QLatin1String("json"))
        return CommandLine::usageError(QStringLiteral("--format takes csv or json"));
    if (parsed.value(kOutput).isEmpty())
        return CommandLine::usageError(QStringLiteral("-o FILE is required"));
    HistoryQuery query;
    query.text = parsed.value(kQuery);
    query.limit = 0;
    if (const QString error = readDates(parsed, query); !error.isEmpty())
        return CommandLine::usageError(error);
    Archive archive(environment);
    const std::optional<HistoryRecordList> found = archive.find(query);
    if (!found)
        return CommandLine::failure(
            QStringLiteral("cannot read the archive: %1").arg(archive.store.errorText()));
    QString error;
    if (!HistoryExport::write(parsed.value(kOutput),
                              format == QLatin1String("csv") ? HistoryExport::Format::Csv
                                                             : HistoryExport::Format::Json,
                              *found, archive.names(), &error))
        return CommandLine::failure(QStringLiteral("cannot write %1: %2").arg(parsed.value(kOutput), error));
    CommandLine::printOut(
        QStringLiteral("%1 announcements written to %2").arg(found->size()).arg(parsed.value(kOutput)));
    return CommandLine::Success;
}

int HistoryCommands::read(const QCommandLineParser& parsed, const AppEnvironment& environment)
{
    const QStringList ids = parsed.positionalArguments();
    const bool all = parsed.isSet(kAll);
    if (all == !ids.isEmpty())
        return CommandLine::usageError(QStringLiteral("usage: zelvora read ID... | --all"));
    Archive archive(environment);
    if (!archive.store.open())
        return all ? CommandLine::Success
                   : CommandLine::failure(QStringLiteral("no announcement is archived yet"));
    for (const QString& id : ids) {
        if (!archive.store.has(id))
            return CommandLine::failure(QStringLiteral("no archived announcement has the id '%1'").arg(id));
    }
    if (!archive.store.markRead(ids, environment.clock->now()))
        return CommandLine::failure(QStringLiteral("cannot mark read: %1").arg(archive.store.errorText()));
    return CommandLine::Success;
}
