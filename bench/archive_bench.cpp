// The archive's cost in a poll, and its size on disk: one poll of 400 records (a few of them new, the
// rest unchanged) against an archive of 50,000, next to what the poll did without it (merging into the
// 500 kept); and a year of records (about 40,000) on disk.
#include "archive/PollRecorder.h"
#include "fetch/FeedParser.h"
#include "fetch/KeptList.h"
#include "portalsim/PortalSimulator.h"
#include "support/ManualClock.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const Instant kNow = Instant::fromUnixSeconds(1780000000);

// The 400 records of one default poll (5 issuer and 3 market pages), as parsed.
QList<AnnouncementArchive::Record> pollRecords()
{
    portalsim::PortalSimulator simulator({.now = [] { return kNow.unixSeconds(); }});
    const ManualClock clock(kNow);
    QList<AnnouncementArchive::Record> records;
    for (const auto& [feed, pages, source] : {std::tuple(portalsim::Feed::IssuerEN, 5, "tadawul"),
                                              std::tuple(portalsim::Feed::MarketEN, 3, "market")}) {
        for (int page = 1; page <= pages; ++page) {
            const auto parsed = FeedParser::parseAnnouncementResponse(
                QByteArray::fromStdString(simulator.pageBody(feed, page, 50)), QString::fromLatin1(source),
                QStringLiteral("en"), QStringLiteral("https://www.saudiexchange.sa"), clock);
            for (const Announcement& announcement : parsed.value_or(AnnouncementList()))
                records.append({announcement, QString::fromLatin1(source), QStringLiteral("en")});
        }
    }
    return records;
}

// `count` older records shaped like the poll's: the same texts under other identifiers and dates.
void fill(const QString& directory, const QList<AnnouncementArchive::Record>& shape, int count)
{
    AnnouncementArchive archive(directory);
    archive.open();
    archive.begin();
    for (int i = 0; i < count; ++i) {
        AnnouncementArchive::Record record = shape.at(i % shape.size());
        const Announcement& a = record.announcement;
        record.announcement =
            Announcement(a.id() + QStringLiteral("_old") + QString::number(i), a.title(), a.description(),
                         a.link(), kNow.addSeconds(-800.0 * (i + 1)), a.companies());
        archive.insert(record, kNow.addSeconds(-800.0 * (i + 1)), false);
    }
    archive.commit();
}

AnnouncementList announcements(const QList<AnnouncementArchive::Record>& records)
{
    AnnouncementList out;
    for (const AnnouncementArchive::Record& record : records)
        out.append(record.announcement);
    return out;
}

const QSet<QString> kBothFeeds{QStringLiteral("tadawul"), QStringLiteral("market")};

// Today's poll without the archive: the merge into the kept list.
void BM_MergeWithoutArchive(benchmark::State& state)
{
    const AnnouncementList fetched = announcements(pollRecords());
    const AnnouncementList kept = KeptList::merge(fetched, {}, kNow);
    for (auto _ : state) {
        AnnouncementList merged = KeptList::merge(fetched, kept, kNow.addSeconds(180));
        benchmark::DoNotOptimize(merged);
    }
}
BENCHMARK(BM_MergeWithoutArchive)->Unit(benchmark::kMillisecond);

// What the archive adds to one poll: its transaction, with three new records each time.
void BM_PollIntoArchiveOf50000(benchmark::State& state)
{
    QTemporaryDir dir;
    QList<AnnouncementArchive::Record> records = pollRecords();
    fill(dir.path(), records, 50000);
    PollRecorder recorder(dir.path(), QStringLiteral("tray"), {});
    recorder.record(records, kBothFeeds, kNow, QStringLiteral("en"));
    Instant now = kNow;
    int fresh = 0;
    for (auto _ : state) {
        state.PauseTiming();
        now = now.addSeconds(180);
        for (int i = 0; i < 3; ++i) {
            records.removeLast();
            const Announcement a = records.first().announcement;
            records.prepend({Announcement(QStringLiteral("new") + QString::number(fresh++), a.title(),
                                          a.description(), a.link(), now, a.companies()),
                             QStringLiteral("tadawul"), QStringLiteral("en")});
        }
        state.ResumeTiming();
        PollRecorder::Outcome outcome = recorder.record(records, kBothFeeds, now, QStringLiteral("en"));
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(BM_PollIntoArchiveOf50000)->Unit(benchmark::kMillisecond);

void BM_YearOnDisk(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        fill(dir.path(), pollRecords(), 40000);
        state.counters["MB_on_disk"] =
            double(QFileInfo(dir.filePath(AnnouncementArchive::fileName)).size() +
                   QFileInfo(dir.filePath(AnnouncementArchive::fileName + QStringLiteral("-wal"))).size()) /
            1e6;
    }
}
BENCHMARK(BM_YearOnDisk)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
