#pragma once

// A run of the program as the tray program and `watch` make it (the context), over temporary folders,
// a held clock and the portal simulator on loopback, with notifications recorded instead of shown.
#include "context/AppContext.h"
#include "fetch/AnnouncementFetcher.h"
#include "model/Preferences.h"
#include "notify/NotificationManager.h"
#include "portalsim/PortalSimulator.h"
#include "support/ManualClock.h"
#include "support/RecordingNotificationBackend.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

struct ContextHarness
{
    // Mid-2026, the era the simulated portal's ids belong to.
    ManualClock clock{Instant::fromUnixSeconds(1780000000)};
    QTemporaryDir dir;
    std::unique_ptr<portalsim::PortalSimulator> sim;
    QList<NotificationRequest> posted; // by every run over these folders
    std::unique_ptr<AppContext> context;

    // `teller` as AppContext takes it (empty: a `zelvora poll`).
    explicit ContextHarness(int issuerItems = 300, int marketItems = 160,
                            const QString& teller = QStringLiteral("tray"))
        : sim(std::make_unique<portalsim::PortalSimulator>(portalsim::PortalSimulator::Options{
              .issuerItems = issuerItems, .marketItems = marketItems, .now = [this] {
                  return clock.now().unixSeconds();
              }}))
    {
        sim->start();
        restart(teller);
    }

    ~ContextHarness()
    {
        sim->releaseHeld();
        context.reset();
    }

    AppPaths paths() const
    {
        return {dir.filePath(QStringLiteral("config")), dir.filePath(QStringLiteral("data"))};
    }
    QString origin() const { return QString::fromStdString(sim->origin()); }
    AppEnvironment environment() const { return AppEnvironment::forTesting(paths(), origin(), clock); }
    // Another run of the program over the same folders (the first one ends first).
    std::unique_ptr<AppContext> makeRun(const QString& teller = QStringLiteral("tray"))
    {
        return std::make_unique<AppContext>(
            environment(), teller, [this] { return std::make_unique<RecordingNotificationBackend>(posted); });
    }
    void restart(const QString& teller = QStringLiteral("tray"))
    {
        context.reset();
        context = makeRun(teller);
    }

    Preferences& preferences() { return context->preferences(); }
    AnnouncementFetcher& fetcher() { return context->fetcher(); }

    // Runs one poll (or joins the one in flight) and waits for its end.
    AnnouncementsUpdate pollAndWait()
    {
        QSignalSpy finished(&fetcher(), &AnnouncementFetcher::pollFinished);
        fetcher().poll();
        if (!finished.wait(30000))
            qFatal("poll did not end");
        return finished.first().first().value<AnnouncementsUpdate>();
    }

    // Requests one full poll makes with the default data: 5 issuer pages and 3 market pages.
    static constexpr int kRequestsPerPoll = 8;
};
