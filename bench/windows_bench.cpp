// The list window rebuilds its list after every poll while it is visible: 100 rows must be ready,
// laid out and painted within one frame (16 ms).
#include "support/RecordingUrlOpener.h"
#include "windows/AllAnnouncementsWindow.h"

#include <QApplication>
#include <QListView>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
AnnouncementList announcements(int count, double secondsApart)
{
    const QStringList titles{
        QStringLiteral(
            "Al Rajhi Bank Announces the Distribution of Cash Dividends to Shareholders for Q3 2026"),
        QStringLiteral("شركة المراعي تعلن عن النتائج المالية الأولية للفترة المنتهية في 2026-09-30"),
        QStringLiteral("Saudi Aramco Signs a Contract with a Major Engineering Firm"),
        QStringLiteral("Trading Halt on the Shares of a Listed Company")};
    AnnouncementList list;
    for (int i = 0; i < count; ++i) {
        QStringList companies;
        for (int c = 0; c < i % 6; ++c)
            companies << QString::number(1000 + i * 7 + c);
        list.append(Announcement(
            QStringLiteral("se_%1").arg(i), titles.at(i % titles.size()),
            QStringLiteral("<p>The company announces that its board of directors approved, "
                           "in its meeting held on &quot;Sunday&quot;, item %1 &amp; more "
                           "details in the attached table.</p><table><tr><td>%1</td></tr></table>")
                .arg(i),
            QStringLiteral("https://www.saudiexchange.sa/wps/portal/%1").arg(i),
            Instant::now().addSeconds(-secondsApart * i), companies));
    }
    return list;
}

void BM_RebuildHundredRows(benchmark::State& state)
{
    QTemporaryDir dir;
    RecordingUrlOpener opener;
    AllAnnouncementsWindow window(opener, dir.filePath(QStringLiteral("ui-state.json")));
    window.show();
    const AnnouncementList list = announcements(100, 3600);
    for (auto _ : state) {
        window.update(list);
        if (state.range(0) != 0) {
            // What the user waits for: the rows laid out and the visible ones painted.
            window.listView()->doItemsLayout();
            benchmark::DoNotOptimize(window.listView()->viewport()->grab());
        }
    }
    state.SetLabel(state.range(0) != 0 ? "laid out and painted" : "model only");
}
BENCHMARK(BM_RebuildHundredRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A month at a busy pace (3,000 rows): the view asks every row's height again whenever the window is
// resized, so that must not cost the user a visible pause.
void BM_RelayoutLongList(benchmark::State& state)
{
    QTemporaryDir dir;
    RecordingUrlOpener opener;
    AllAnnouncementsWindow window(opener, dir.filePath(QStringLiteral("ui-state.json")));
    window.show();
    window.update(announcements(3000, 600));
    for (auto _ : state)
        window.listView()->doItemsLayout();
}
BENCHMARK(BM_RelayoutLongList)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
