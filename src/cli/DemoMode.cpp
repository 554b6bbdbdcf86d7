#include "cli/DemoMode.h"

#include "fetch/PortalOrigin.h"
#include "model/AppPaths.h"
#include "model/Preferences.h"

#include <QDir>
#include <QFile>

DemoMode::DemoMode(DemoPortalFactory portalFactory) : m_portalFactory(std::move(portalFactory)) {}

bool DemoMode::takeOption(QStringList& arguments)
{
    return arguments.removeAll(QStringLiteral("--demo")) > 0;
}

bool DemoMode::start(QString* error)
{
    if (!m_home.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder for the demo");
        return false;
    }
    const QString settings = AppPaths::settingsFile();
    const QString configHome = m_home.filePath(QStringLiteral("config"));
    QDir().mkpath(configHome + QStringLiteral("/zelvora"));
    QFile::copy(settings, configHome + QStringLiteral("/zelvora/settings.json"));
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
    // The demo starts as a new user with the user's choices (language, watchlist, notifications),
    // polling as often as the simulator publishes so something happens within a minute.
    Preferences demoSettings(AppPaths::settingsFile());
    demoSettings.clearSeenIDs();
    demoSettings.setLastPollDate(std::nullopt);
    demoSettings.setPollInterval(kNewItemSeconds);

    m_portal = m_portalFactory ? m_portalFactory() : nullptr;
    if (!m_portal || !m_portal->start(kNewItemSeconds)) {
        *error = QStringLiteral("cannot start the demo portal on 127.0.0.1");
        return false;
    }
    PortalOrigin::setOverride(origin());
    return true;
}

QString DemoMode::origin() const
{
    return m_portal ? m_portal->origin() : QString();
}

QString DemoMode::banner() const
{
    return QStringLiteral("Demo mode: made-up announcements from the built-in portal simulator at %1 "
                          "(a new one every %2 seconds); your cache and settings are left untouched.")
        .arg(origin())
        .arg(kNewItemSeconds);
}
