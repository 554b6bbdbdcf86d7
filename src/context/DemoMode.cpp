#include "context/DemoMode.h"

#include "model/Preferences.h"

#include <QDir>
#include <QFile>

DemoMode::DemoMode(DemoPortalFactory portalFactory) : m_portalFactory(std::move(portalFactory)) {}

bool DemoMode::start(const AppPaths& userPaths, QString* error)
{
    if (!m_home.isValid()) {
        *error = QStringLiteral("cannot create a temporary folder for the demo");
        return false;
    }
    const AppPaths demoPaths = paths();
    QDir().mkpath(demoPaths.configDirectory());
    QFile::copy(userPaths.settingsFile(), demoPaths.settingsFile());
    // The demo starts as a new user with the user's choices (language, watchlist, notifications),
    // polling as often as the simulator publishes so something happens within a minute.
    Preferences demoSettings(demoPaths.settingsFile());
    demoSettings.clearSeenIDs();
    demoSettings.setLastPollDate(std::nullopt);
    demoSettings.setPollInterval(kNewItemSeconds);

    m_portal = m_portalFactory ? m_portalFactory() : nullptr;
    if (!m_portal || !m_portal->start(kNewItemSeconds)) {
        *error = QStringLiteral("cannot start the demo portal on 127.0.0.1");
        return false;
    }
    return true;
}

AppPaths DemoMode::paths() const
{
    return {m_home.filePath(QStringLiteral("config")), m_home.filePath(QStringLiteral("data"))};
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
