// Searching the kept list (500 announcements, realistic sizes, English and Arabic): preparing the
// folded texts once per poll, then one filter per keystroke. A keystroke must stay well under 10 ms.
#include "model/AnnouncementSearch.h"

#include <benchmark/benchmark.h>

namespace {
AnnouncementList keptList()
{
    const QString english = QStringLiteral(
        "<p>The company announces its interim financial results for the period ending on 30-06-2026 and the "
        "board's recommendation of a cash dividend of &amp; SAR 1.25 per share to shareholders.</p>");
    const QString arabic = QStringLiteral(
        "<p>تعلن الشركة عن نتائجها المالية الأولية للفترة المنتهية في 30-06-2026 وتوصية مجلس الإدارة بتوزيع "
        "أرباح نقدية على المساهمين بواقع 1.25 ريال للسهم.</p>");
    AnnouncementList list;
    for (int i = 0; i < 500; ++i) {
        const bool inArabic = i % 2 == 1;
        list.append(Announcement(QStringLiteral("se_%1").arg(i),
                                 inArabic ? QStringLiteral("شركة الطاقة العربية %1").arg(i)
                                          : QStringLiteral("Arabian Energy Co. %1").arg(i),
                                 (inArabic ? arabic : english).repeated(4),
                                 QStringLiteral("https://example.test/%1").arg(i),
                                 Instant::now().addSeconds(-60.0 * i), {QString::number(1000 + i * 7)}));
    }
    return list;
}

const auto kNames = [](const QString& symbol) { return QStringLiteral("Company %1 · شركة %1").arg(symbol); };
} // namespace

static void BM_PrepareSearch500(benchmark::State& state)
{
    const AnnouncementList list = keptList();
    const Watchlist watchlist({QStringLiteral("2222")},
                              {QStringLiteral("توزيع أرباح"), QStringLiteral("rights issue")});
    for (auto _ : state)
        benchmark::DoNotOptimize(AnnouncementSearch(list, kNames, watchlist));
}
BENCHMARK(BM_PrepareSearch500)->Unit(benchmark::kMillisecond);

static void BM_FilterKeystroke500(benchmark::State& state)
{
    const AnnouncementSearch search(keptList(), kNames, Watchlist({QStringLiteral("2222")}, {}));
    const QString queries[] = {QStringLiteral("d"), QStringLiteral("dividend sar"),
                               QStringLiteral("أرباح نقدية"), QStringLiteral("no such words at all")};
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(search.filter(queries[i++ % 4], false));
}
BENCHMARK(BM_FilterKeystroke500)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
