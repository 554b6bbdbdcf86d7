#pragma once

#include "context/DemoPortal.h"
#include "infra/AppPaths.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

// `--demo`: runs a made-up portal (the program's portal simulator) in this process on a free loopback port (a
// new item every 30 s) and points the process at it. The demo's cache file and settings changes go to a
// temporary home, a copy of the user's settings, so made-up announcements never reach the real cache or seen
// set: the command builds its services over paths() and origin() instead of the user's.
class DemoMode
{
public:
    static constexpr int kNewItemSeconds = 30; // also the demo's poll interval

    explicit DemoMode(DemoPortalFactory portalFactory);

    // Copies the user's settings into the temporary home and starts the portal.
    bool start(const AppPaths& userPaths, QString* error);
    AppPaths paths() const; // the temporary home
    QString origin() const;
    QString banner() const; // one line saying that the data is made up

private:
    DemoPortalFactory m_portalFactory;
    std::unique_ptr<DemoPortal> m_portal;
    QTemporaryDir m_home;
};
