// Feed acquisition costs: parsing one portal page, and one whole first poll against the simulator
// (a separate process, so the process CPU time measured is the fetcher's alone).
#include "fetch/AnnouncementCache.h"
#include "fetch/AnnouncementFetcher.h"
#include "fetch/FeedParser.h"
#include "model/Preferences.h"
#include "portalsim/PortalSimulator.h"
#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray issuerPage()
{
    portalsim::PortalSimulator simulator; // not started: only its page rendering is used
    return QByteArray::fromStdString(simulator.pageBody(portalsim::Feed::IssuerEN, 1, 50));
}

// The eight pages one poll fetches by default (5 issuer, 3 market), as one list of bodies.
QList<QByteArray> pollPages()
{
    portalsim::PortalSimulator simulator;
    QList<QByteArray> pages;
    for (int page = 1; page <= 5; ++page)
        pages.append(QByteArray::fromStdString(simulator.pageBody(portalsim::Feed::IssuerEN, page, 50)));
    for (int page = 1; page <= 3; ++page)
        pages.append(QByteArray::fromStdString(simulator.pageBody(portalsim::Feed::MarketEN, page, 50)));
    return pages;
}

void BM_ParseIssuerPage(benchmark::State& state)
{
    const QByteArray page = issuerPage();
    const ManualClock clock(Instant::now());
    for (auto _ : state) {
        auto list =
            FeedParser::parseAnnouncementResponse(page, QStringLiteral("tadawul"), QStringLiteral("en"),
                                                  QStringLiteral("https://www.saudiexchange.sa"), clock);
        benchmark::DoNotOptimize(list);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
    state.counters["page_bytes"] = static_cast<double>(page.size());
}
BENCHMARK(BM_ParseIssuerPage)->Unit(benchmark::kMicrosecond);

void BM_BareQtJsonParseOfIssuerPage(benchmark::State& state)
{
    const QByteArray page = issuerPage();
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(page);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}
BENCHMARK(BM_BareQtJsonParseOfIssuerPage)->Unit(benchmark::kMicrosecond);

void BM_BareQtJsonParseOfPollPages(benchmark::State& state)
{
    const QList<QByteArray> pages = pollPages();
    qint64 bytes = 0;
    for (const QByteArray& page : pages)
        bytes += page.size();
    for (auto _ : state) {
        for (const QByteArray& page : pages) {
            QJsonDocument document = QJsonDocument::fromJson(page);
            benchmark::DoNotOptimize(document);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}
BENCHMARK(BM_BareQtJsonParseOfPollPages)->Unit(benchmark::kMillisecond);

// Writing the cache file's text for a full kept list (500 records of portal pages), as every poll does.
AnnouncementList fullKeptList()
{
    const ManualClock clock(Instant::now());
    portalsim::PortalSimulator simulator;
    simulator.advance(60); // 340 issuer announcements and 180 market news
    AnnouncementList list;
    for (const auto& [feed, pages] :
         {std::pair(portalsim::Feed::IssuerEN, 7), std::pair(portalsim::Feed::MarketEN, 4)}) {
        for (int page = 1; page <= pages; ++page)
            list.append(FeedParser::parseAnnouncementResponse(
                            QByteArray::fromStdString(simulator.pageBody(feed, page, 50)),
                            QStringLiteral("tadawul"), QStringLiteral("en"),
                            QStringLiteral("https://www.saudiexchange.sa"), clock)
                            .value_or(AnnouncementList()));
    }
    return list.first(std::min<qsizetype>(list.size(), 500));
}

void BM_EncodeCache(benchmark::State& state)
{
    const AnnouncementList list = fullKeptList();
    for (auto _ : state)
        benchmark::DoNotOptimize(AnnouncementCache::encode(list));
    state.counters["records"] = static_cast<double>(list.size());
}
BENCHMARK(BM_EncodeCache)->Unit(benchmark::kMicrosecond);

// A first poll as the application runs it at start-up: 500 records in the cache file (older than the
// portal's, 100 of them already seen), 400 fetched over loopback, 900 merged down to 500 kept, the
// cache saved, 400 identifiers marked as seen, the broadcast posted.
// With the argument 1 the fetched identifiers are already seen: the same poll without the 400
// settings writes, which shows the fetcher's own share.
void BM_FullFirstPoll(benchmark::State& state)
{
    const bool preSeen = state.range(0) == 1;
    QProcess server;
    server.start(QStringLiteral(ZELVORA_PORTAL_SIM), {QStringLiteral("--seed"), QStringLiteral("7")});
    if (!server.waitForReadyRead(10000)) {
        state.SkipWithError("the portal simulator did not start");
        return;
    }
    const QString banner = QString::fromUtf8(server.readLine());
    const QString origin = QRegularExpression(QStringLiteral("http://\\S+")).match(banner).captured(0);

    const SystemClock clock;
    const Instant now = clock.now();
    AnnouncementList cached;
    QSet<QString> seen;
    for (int i = 0; i < 500; ++i) {
        cached.append(Announcement(QStringLiteral("se_%1").arg(50000 + i),
                                   QStringLiteral("Cached title %1").arg(i),
                                   QStringLiteral("<p>Cached description</p>"), origin + QStringLiteral("/x"),
                                   now.addSeconds(-1'000'000 - i * 60.0), {QStringLiteral("2222")}));
        if (i < 100)
            seen.insert(cached.last().id());
    }

    if (preSeen) {
        // Learn the identifiers the portal serves with one untimed poll.
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
        AnnouncementFetcher fetcher(preferences, clock, {dir.filePath(QStringLiteral("Quvex")), origin});
        QEventLoop loop;
        QObject::connect(&fetcher, &AnnouncementFetcher::pollFinished, &loop,
                         [&](const AnnouncementsUpdate& update) {
                             for (const Announcement& announcement : update.all)
                                 seen.insert(announcement.id());
                             loop.quit();
                         });
        fetcher.poll();
        loop.exec();
    }

    for (auto _ : state) {
        state.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        auto preferences = std::make_unique<Preferences>(dir->filePath(QStringLiteral("settings.json")));
        preferences->setSeenAnnouncementIDs(seen);
        AnnouncementCache(dir->filePath(QStringLiteral("Quvex"))).save(cached, now);
        auto fetcher = std::make_unique<AnnouncementFetcher>(
            *preferences, clock,
            AnnouncementFetcher::Options{dir->filePath(QStringLiteral("Quvex")), origin});
        QEventLoop loop;
        int kept = 0;
        QObject::connect(fetcher.get(), &AnnouncementFetcher::pollFinished, &loop,
                         [&](const AnnouncementsUpdate& update) {
                             kept = static_cast<int>(update.all.size());
                             loop.quit();
                         });
        state.ResumeTiming();

        fetcher->poll();
        loop.exec();

        state.PauseTiming();
        state.counters["kept"] = kept;
        state.counters["seen_marks"] =
            static_cast<double>(preferences->seenAnnouncementIDs().size() - seen.size());
        fetcher.reset(); // joins the worker thread outside the measured time
        preferences.reset();
        dir.reset();
        state.ResumeTiming();
    }
    server.terminate();
    server.waitForFinished();
}
BENCHMARK(BM_FullFirstPoll)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->MinTime(3.0);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
