#pragma once

#include "context/DemoPortal.h"
#include "infra/AppPaths.h"
#include "infra/Clock.h"

#include <QProcessEnvironment>
#include <QString>
#include <optional>

// Everything this run takes from its environment, read once by main and handed down as values: the
// user's folders, the portal, the clock, the demo's portal and every environment variable the program
// heeds. Nothing below main reads the environment itself, so tests state what they run under.
struct AppEnvironment
{
    AppPaths paths;
    QString portalOrigin; // $ZELVORA_PORTAL_ORIGIN, else the exchange's portal
    const Clock* clock = nullptr;
    DemoPortalFactory demoPortal;
    // $ZELVORA_MIN_POLL_INTERVAL: a shorter poll interval, honoured against a loopback portal only.
    std::optional<double> minimumPollInterval;
    QString telemetryEndpoint; // $ZELVORA_TELEMETRY_URL, else the statistics service
    bool doNotTrack = false;   // $DO_NOT_TRACK is set to anything but "" and "0"
    QString appcastUrl;        // $ZELVORA_APPCAST_URL, else the project's release list
    QString webModule;         // $ZELVORA_WEB_MODULE: another copy of the window module, tried first
    // $QT_QPA_PLATFORM, $DISPLAY or $WAYLAND_DISPLAY: a graphical session to show a tray icon in.
    bool displayAvailable = false;
    QString desktop; // $XDG_CURRENT_DESKTOP, upper case
    // The web engine refuses to start as root unless its sandbox is off ($QTWEBENGINE_DISABLE_SANDBOX,
    // or --no-sandbox in $QTWEBENGINE_CHROMIUM_FLAGS).
    bool runAsRoot = false;
    bool webEngineSandboxOff = false;
    QString demoHome; // $ZELVORA_DEMO_HOME: the home a relaunching demo hands over

    // The environment of this process.
    static AppEnvironment fromSystem(const Clock& clock, DemoPortalFactory demoPortal);
    // The variables' part of it, from `variables` (the folders, clock and demo left empty).
    static AppEnvironment fromVariables(const QProcessEnvironment& variables);
    // A test's run: `paths` and `portalOrigin`, no telemetry, no update checks, no display.
    static AppEnvironment forTesting(AppPaths paths, QString portalOrigin, const Clock& clock);
};
