// Marking announcements as seen: one identifier at a time, and a poll's batch in one write.
#include "model/Preferences.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Brings the seen set to its limit of 500.
static void fillSeenSet(Preferences& preferences)
{
    QSet<QString> full;
    for (int i = 0; i < Preferences::kMaxSeenIDs; ++i)
        full.insert(QStringLiteral("se_%1").arg(90000 + i));
    preferences.setSeenAnnouncementIDs(full);
}

static void BM_MarkAsSeen500OnFullStore(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
        fillSeenSet(preferences);
        state.ResumeTiming();

        for (int i = 0; i < 500; ++i)
            preferences.markAsSeen(QStringLiteral("se_%1").arg(100000 + i));
    }
}
BENCHMARK(BM_MarkAsSeen500OnFullStore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What a poll cycle does: the 500 identifiers of one poll marked with one write.
static void BM_MarkAsSeen500Batched(benchmark::State& state)
{
    QStringList ids;
    for (int i = 0; i < 500; ++i)
        ids.append(QStringLiteral("se_%1").arg(100000 + i));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
        fillSeenSet(preferences);
        state.ResumeTiming();
        preferences.markAsSeen(ids);
    }
}
BENCHMARK(BM_MarkAsSeen500Batched)->Unit(benchmark::kMillisecond);

static void BM_ReadUnchangedSetting(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    preferences.setLanguage(QStringLiteral("ar"));
    for (auto _ : state)
        benchmark::DoNotOptimize(preferences.language());
}
BENCHMARK(BM_ReadUnchangedSetting)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
