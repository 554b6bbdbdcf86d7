// Rebuilding the tray menu after a poll: 5 watchlist items and 15 latest items.
#include "model/Preferences.h"
#include "shell/MenuCommands.h"
#include "shell/TrayMenu.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
class NoCommands : public MenuCommands
{
public:
    void menuRefreshNow() override {}
    void menuOpenSettings() override {}
    void menuCheckForUpdates() override {}
    void menuShowAbout() override {}
    void menuQuit() override {}
    void menuViewAll() override {}
    void menuOpenAnnouncement(const QVariant&) override {}
};
} // namespace

static void BM_RebuildMenu(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    preferences.setWatchlistSymbols({QStringLiteral("2222")});
    AnnouncementList announcements;
    for (int i = 0; i < 500; ++i)
        announcements.append(Announcement(
            QStringLiteral("se_%1").arg(i),
            QStringLiteral("Saudi Arabian Oil Co. announces its interim results %1").arg(i),
            QStringLiteral("<p>The company announces cash dividends for the period</p>"),
            QStringLiteral("https://example.test/%1").arg(i), Instant::now().addSeconds(-60.0 * i),
            {i % 3 == 0 ? QStringLiteral("2222") : QStringLiteral("1120")}));
    NoCommands commands;
    TrayMenu menu(commands, preferences, TrayMenu::ItemStyle::Drawn);
    for (auto _ : state)
        menu.update(announcements);
}
BENCHMARK(BM_RebuildMenu)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
