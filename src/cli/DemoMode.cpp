#include "cli/DemoMode.h"

#include "model/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
// Marks a folder as a demo's home: only such a folder is taken over, and removed at the end.
const QString kMarker = QStringLiteral("zelvora-demo-home");
} // namespace

DemoMode::DemoMode(DemoPortalFactory portalFactory, QString handedOverHome)
    : m_portalFactory(std::move(portalFactory)), m_handedOverHome(std::move(handedOverHome))
{
}

DemoMode::~DemoMode()
{
    if (m_created)
        m_created->setAutoRemove(m_removeAtEnd);
    else if (m_removeAtEnd && !m_home.isEmpty())
        QDir(m_home).removeRecursively();
}

bool DemoMode::adopt()
{
    // Only a demo's home in the temporary folder: never a folder the variable names by mistake.
    const QFileInfo home(m_handedOverHome);
    if (m_handedOverHome.isEmpty() || !home.isDir() || home.isSymLink() ||
        home.canonicalPath() != QFileInfo(QDir::tempPath()).canonicalFilePath() ||
        !QFileInfo::exists(QDir(m_handedOverHome).filePath(kMarker)))
        return false;
    m_home = home.canonicalFilePath();
    return true;
}

bool DemoMode::createHome(const AppPaths& userPaths, QString* error)
{
    m_created = std::make_unique<QTemporaryDir>();
    if (!m_created->isValid()) {
        *error = QStringLiteral("cannot create a temporary folder for the demo");
        return false;
    }
    m_home = m_created->path();
    QFile marker(QDir(m_home).filePath(kMarker));
    if (!marker.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write to the demo's temporary folder %1").arg(m_home);
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
    return true;
}

bool DemoMode::start(const AppPaths& userPaths, QString* error)
{
    if (!adopt() && !createHome(userPaths, error))
        return false;
    m_removeAtEnd = true;
    // Inherited by the instance a relaunch starts, and by nothing else of the user's.
    qputenv(kHomeVariable, QFile::encodeName(m_home));

    m_portal = m_portalFactory ? m_portalFactory() : nullptr;
    if (!m_portal || !m_portal->start(kNewItemSeconds)) {
        *error = QStringLiteral("cannot start the demo portal on 127.0.0.1");
        return false;
    }
    return true;
}

void DemoMode::handOver()
{
    m_removeAtEnd = false;
}

AppPaths DemoMode::paths() const
{
    return {QDir(m_home).filePath(QStringLiteral("config")), QDir(m_home).filePath(QStringLiteral("data"))};
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
