// The tray menu (5 watchlist items and 15 latest items): opening it, and rebuilding it after a poll.
#include "model/Preferences.h"
#include "shell/MenuCommands.h"
#include "shell/TrayMenu.h"

#include <QApplication>
#include <QMenu>
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

AnnouncementList announcements(int count, int offset = 0)
{
    AnnouncementList list;
    for (int i = offset; i < offset + count; ++i)
        list.append(Announcement(
            QStringLiteral("se_%1").arg(i),
            QStringLiteral("Saudi Arabian Oil Co. announces its interim results %1").arg(i),
            QStringLiteral("<p>The company announces cash dividends for the period</p>"),
            QStringLiteral("https://example.test/%1").arg(i), Instant::now().addSeconds(-60.0 * i),
            {i % 3 == 0 ? QStringLiteral("2222") : QStringLiteral("1120")}));
    return list;
}

// The tray's menu opens and closes; its drawn items are built as it opens.
void openAndClose(TrayMenu& menu)
{
    menu.menu()->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    menu.menu()->hide();
}

struct MenuFixture
{
    QTemporaryDir dir;
    Preferences preferences{dir.filePath(QStringLiteral("settings.json"))};
    NoCommands commands;
    TrayMenu menu{commands, preferences, TrayMenu::ItemStyle::Widgets};
    MenuFixture()
    {
        preferences.setWatchlistSymbols({QStringLiteral("2222")});
        menu.setBuildWhenShown(true);
    }
};
} // namespace

// The first opening in a process, which also loads the fonts and lays out text for the first time.
static void BM_FirstOpeningOfTheMenu(benchmark::State& state)
{
    MenuFixture fixture;
    fixture.menu.update(announcements(500));
    for (auto _ : state)
        openAndClose(fixture.menu);
}
BENCHMARK(BM_FirstOpeningOfTheMenu)->Iterations(1)->Unit(benchmark::kMillisecond);

// Opening the menu after each poll brought something new.
static void BM_OpeningAfterAPoll(benchmark::State& state)
{
    MenuFixture fixture;
    int poll = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.menu.update(announcements(500, ++poll % 2));
        state.ResumeTiming();
        openAndClose(fixture.menu);
    }
}
BENCHMARK(BM_OpeningAfterAPoll)->Unit(benchmark::kMillisecond);

static void BM_RebuildMenu(benchmark::State& state)
{
    QTemporaryDir dir;
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    preferences.setWatchlistSymbols({QStringLiteral("2222")});
    const AnnouncementList list = announcements(500);
    NoCommands commands;
    TrayMenu menu(commands, preferences, TrayMenu::ItemStyle::Widgets);
    for (auto _ : state)
        menu.update(list);
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
