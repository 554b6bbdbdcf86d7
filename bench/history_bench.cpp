// Searching a history of 100,000 announcements (half English, half Arabic, portal-sized texts) in
// the archive's full-text index: a rare word, a common one, a short one, and counting the matches.
// Goals: a rare word within 20 ms, a common one within 60 ms.
#include "history/SearchIndex.h"
#include "support/HistoryArchive.h"

#include <benchmark/benchmark.h>

namespace {
constexpr int kRecords = 100'000;

std::unique_ptr<HistoryArchive> filledArchive()
{
    auto archive = std::make_unique<HistoryArchive>();
    const QString english = QStringLiteral(
        "<p>The company announces its interim financial results for the period ending on 30-06-2026 and the "
        "board's recommendation of a cash dividend of SAR 1.25 per share to shareholders registered %1.</p>");
    const QString arabic = QStringLiteral(
        "<p>تعلن الشركة عن نتائجها المالية الأولية للفترة المنتهية في 30-06-2026 وتوصية مجلس الإدارة بتوزيع "
        "أرباح نقدية على المساهمين بواقع 1.25 ريال للسهم %1.</p>");
    archive->archive().begin();
    for (int i = 0; i < kRecords; ++i) {
        const bool inArabic = i % 2 == 1;
        // One in 10,000 carries the rare word.
        const QString tag = i % 10'000 == 7 ? QStringLiteral("zelvoraite") : QString::number(i);
        archive->add({Announcement(QStringLiteral("se_%1").arg(i),
                                   inArabic ? QStringLiteral("شركة الطاقة العربية %1").arg(i % 300)
                                            : QStringLiteral("Arabian Energy Co. %1").arg(i % 300),
                                   (inArabic ? arabic : english).arg(tag),
                                   QStringLiteral("https://example.test/%1").arg(i),
                                   Instant::fromReferenceSeconds(800'000'000.0 + 300.0 * i),
                                   {QString::number(1000 + i % 300)}),
                      false});
    }
    archive->archive().commit();
    return archive;
}

HistoryArchive& archive()
{
    static const std::unique_ptr<HistoryArchive> filled = [] {
        auto made = filledArchive();
        SearchIndex(made->db(), {}).catchUp();
        return made;
    }();
    return *filled;
}

void search(benchmark::State& state, const QString& text, bool count)
{
    SearchIndex index(archive().db(), {});
    HistoryQuery query;
    query.text = text;
    qint64 found = 0;
    for (auto _ : state)
        found = count ? index.count(query) : index.search(query).value_or(HistoryRecordList()).size();
    state.counters["found"] = double(found);
}
} // namespace

static void BM_IndexAll(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto made = filledArchive();
        state.ResumeTiming();
        SearchIndex(made->db(), {}).catchUp();
    }
}
BENCHMARK(BM_IndexAll)->Unit(benchmark::kMillisecond)->Iterations(1);

static void BM_RareWord(benchmark::State& state)
{
    search(state, QStringLiteral("zelvoraite"), false);
}
BENCHMARK(BM_RareWord)->Unit(benchmark::kMillisecond);

static void BM_CommonWord(benchmark::State& state)
{
    search(state, QStringLiteral("dividend"), false);
}
BENCHMARK(BM_CommonWord)->Unit(benchmark::kMillisecond);

static void BM_CommonArabicWords(benchmark::State& state)
{
    search(state, QStringLiteral("ارباح نقديه"), false);
}
BENCHMARK(BM_CommonArabicWords)->Unit(benchmark::kMillisecond);

static void BM_ShortWord(benchmark::State& state)
{
    search(state, QStringLiteral("co"), false);
}
BENCHMARK(BM_ShortWord)->Unit(benchmark::kMillisecond);

static void BM_CountCommonWord(benchmark::State& state)
{
    search(state, QStringLiteral("dividend"), true);
}
BENCHMARK(BM_CountCommonWord)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
