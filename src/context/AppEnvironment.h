#pragma once

#include "context/DemoPortal.h"
#include "infra/AppPaths.h"
#include "infra/Clock.h"

// What main hands every command: the user's folders, the portal named by the environment, the clock
// and the demo's portal. Each command builds what it needs from it, most through AppContext.
struct AppEnvironment
{
    AppPaths paths;
    QString portalOrigin; // $ZELVORA_PORTAL_ORIGIN, else the exchange's portal
    const Clock* clock = nullptr;
    DemoPortalFactory demoPortal;
    QString demoHome; // $ZELVORA_DEMO_HOME: the home a relaunching demo hands over
};
