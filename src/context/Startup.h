#pragma once

#include "context/AppContext.h"
#include "context/DemoMode.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class MorningDigestSchedule;
class TerminationSignals;
class WakeUpPolling;

// The start-up of every run that polls the portal, written once for the tray program, `watch` and
// `poll`: `--portal ORIGIN` over the environment's portal, `--demo`'s temporary folders and simulated
// portal over the user's, the context over what that leaves and, for the runs that keep watching,
// SIGINT/SIGTERM and the system's wake-ups.
class Startup
{
public:
    struct Failure
    {
        bool usage = false; // the options were wrong (nothing was started)
        QString message;
    };

    // `--demo` and `--portal ORIGIN`.
    static QList<QCommandLineOption> options();

    explicit Startup(AppEnvironment environment);
    ~Startup();

    // Reads the options, starts the demo's portal when asked and makes the context; `teller` as
    // AppContext takes it.
    std::optional<Failure> open(const QCommandLineParser& parsed, const QString& teller);
    AppContext& context() { return *m_context; }
    // One line saying that the data is made up, or empty when this is no demo.
    QString demoBanner() const;
    // The program has started a new instance of itself (a language change): a demo goes on there, with
    // its own settings, instead of copying the user's again.
    void prepareRelaunch();
    // SIGINT and SIGTERM end the event loop (after `stopping`), as the Quit command does, so a poll's
    // writes are never cut short; waking from sleep or the network coming back polls at once; the
    // morning digest is notified when due (checked after every poll).
    void keepWatching(std::function<void()> stopping = {});
    // After keepWatching: tells when a digest is due, for the front door to show it its own way too.
    MorningDigestSchedule& digests() { return *m_digests; }

private:
    AppEnvironment m_environment;
    DemoMode m_demo;
    bool m_demoRunning = false;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TerminationSignals> m_termination;
    std::unique_ptr<WakeUpPolling> m_wakeUps;
    std::unique_ptr<MorningDigestSchedule> m_digests;
};
