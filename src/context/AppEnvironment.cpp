#include "context/AppEnvironment.h"

#include "context/DemoMode.h"
#include "fetch/PortalOrigin.h"
#include "telemetry/TelemetryService.h"
#include "update/Updater.h"

#include <unistd.h>

AppEnvironment AppEnvironment::fromSystem(const Clock& clock, DemoPortalFactory demoPortal)
{
    AppEnvironment environment = fromVariables(QProcessEnvironment::systemEnvironment());
    environment.paths = AppPaths::fromEnvironment();
    environment.clock = &clock;
    environment.demoPortal = std::move(demoPortal);
    environment.runAsRoot = ::geteuid() == 0;
    return environment;
}

AppEnvironment AppEnvironment::fromVariables(const QProcessEnvironment& variables)
{
    const auto value = [&variables](const char* name) {
        return variables.value(QLatin1String(name)).trimmed();
    };
    const auto orDefault = [&value](const char* name, const QString& fallback) {
        const QString text = value(name);
        return text.isEmpty() ? fallback : text;
    };
    const auto switchedOn = [&value](const char* name) {
        const QString text = value(name);
        return !text.isEmpty() && text != QLatin1String("0");
    };
    AppEnvironment environment;
    // Taken even when malformed, so a mistyped value shows up as an invalid URL instead of silently
    // reaching the real portal.
    environment.portalOrigin =
        PortalOrigin::trimmed(orDefault("ZELVORA_PORTAL_ORIGIN", PortalOrigin::defaultOrigin));
    bool ok = false;
    const double minimum = value("ZELVORA_MIN_POLL_INTERVAL").toDouble(&ok);
    if (ok && minimum > 0.0)
        environment.minimumPollInterval = minimum;
    environment.telemetryEndpoint = orDefault("ZELVORA_TELEMETRY_URL", TelemetryService::kDefaultEndpoint);
    environment.doNotTrack = switchedOn("DO_NOT_TRACK");
    environment.appcastUrl = orDefault("ZELVORA_APPCAST_URL", Updater::kDefaultAppcastUrl);
    environment.webModule = value("ZELVORA_WEB_MODULE");
    environment.displayAvailable = !value("QT_QPA_PLATFORM").isEmpty() ||
                                   variables.contains(QStringLiteral("DISPLAY")) ||
                                   variables.contains(QStringLiteral("WAYLAND_DISPLAY"));
    environment.desktop = value("XDG_CURRENT_DESKTOP").toUpper();
    environment.demoHome = variables.value(QLatin1String(DemoMode::kHomeVariable));
    environment.webEngineSandboxOff =
        switchedOn("QTWEBENGINE_DISABLE_SANDBOX") ||
        value("QTWEBENGINE_CHROMIUM_FLAGS").split(QLatin1Char(' ')).contains(QLatin1String("--no-sandbox"));
    return environment;
}

AppEnvironment AppEnvironment::forTesting(AppPaths paths, QString portalOrigin, const Clock& clock)
{
    AppEnvironment environment;
    environment.paths = std::move(paths);
    environment.portalOrigin = std::move(portalOrigin);
    environment.clock = &clock;
    environment.doNotTrack = true;
    return environment;
}
