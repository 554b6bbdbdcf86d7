#pragma once

// A fetcher wired to a portal simulator, a held clock, and settings and cache files of its own.
#include "fetch/AnnouncementFetcher.h"
#include "model/Preferences.h"
#include "portalsim/PortalSimulator.h"
#include "support/ManualClock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

struct FetcherHarness
{
    // Mid-2026, the era the simulated portal's ids belong to.
    ManualClock clock{Instant::fromUnixSeconds(1780000000)};
    QTemporaryDir dir;
    std::unique_ptr<portalsim::PortalSimulator> sim;
    std::unique_ptr<Preferences> preferences =
        std::make_unique<Preferences>(dir.filePath(QStringLiteral("settings.json")));
    std::unique_ptr<AnnouncementFetcher> fetcher;

    explicit FetcherHarness(int issuerItems = 300, int marketItems = 160)
        : sim(std::make_unique<portalsim::PortalSimulator>(portalsim::PortalSimulator::Options{
              .issuerItems = issuerItems, .marketItems = marketItems, .now = [this] {
                  return clock.now().unixSeconds();
              }}))
    {
        sim->start();
        makeFetcher();
    }

    ~FetcherHarness()
    {
        sim->releaseHeld();
        fetcher.reset();
    }

    // A new run of the program over the same files.
    void makeFetcher()
    {
        fetcher = std::make_unique<AnnouncementFetcher>(
            *preferences, clock,
            AnnouncementFetcher::Options{cacheDirectory(), QString::fromStdString(sim->origin()), 30000});
    }

    QString cacheDirectory() const { return dir.filePath(QStringLiteral("Quvex")); }

    // Runs one poll (or joins the one in flight) and waits for its end.
    AnnouncementsUpdate pollAndWait()
    {
        QSignalSpy finished(fetcher.get(), &AnnouncementFetcher::pollFinished);
        fetcher->poll();
        if (!finished.wait(30000))
            qFatal("poll did not end");
        return finished.first().first().value<AnnouncementsUpdate>();
    }

    // Requests one full poll makes with the default data: 5 issuer pages and 3 market pages.
    static constexpr int kRequestsPerPoll = 8;
};
