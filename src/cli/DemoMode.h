#pragma once

#include "context/DemoPortal.h"
#include "infra/AppPaths.h"

#include <QString>
#include <memory>

class QTemporaryDir;

// `--demo`: runs a made-up portal (the program's portal simulator) in this process on a free loopback port (a
// new item every 30 s) and points the process at it. The demo's cache file and settings changes go to a
// temporary home, a copy of the user's settings, so made-up announcements never reach the real cache or seen
// set: the command builds its services over paths() and origin() instead of the user's.
//
// A demo that relaunches itself (a language change in Settings) hands its home over: the new instance is
// started with $ZELVORA_DEMO_HOME naming it and keeps the demo's own settings instead of copying the
// user's again. The last instance removes the home when it ends.
class DemoMode
{
public:
    static constexpr int kNewItemSeconds = 30; // also the demo's poll interval
    static constexpr const char* kHomeVariable = "ZELVORA_DEMO_HOME";

    // `handedOverHome`: the home a relaunching demo left (the variable's value), or empty.
    explicit DemoMode(DemoPortalFactory portalFactory, QString handedOverHome = {});
    ~DemoMode();

    // Takes over the handed-over home, or copies the user's settings into a new one; starts the portal.
    bool start(const AppPaths& userPaths, QString* error);
    // Before a relaunch: the home stays when this instance ends, for the new one.
    void handOver();
    QString home() const { return m_home; }
    AppPaths paths() const; // the temporary home
    QString origin() const;
    QString banner() const; // one line saying that the data is made up

private:
    bool adopt();
    bool createHome(const AppPaths& userPaths, QString* error);

    DemoPortalFactory m_portalFactory;
    QString m_handedOverHome;
    std::unique_ptr<DemoPortal> m_portal;
    std::unique_ptr<QTemporaryDir> m_created;
    QString m_home;
    bool m_removeAtEnd = false;
};
