#include "infra/AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace {
// The generic locations, without the organisation and program names Qt's App*Location would append.
QString xdgDirectory(QStandardPaths::StandardLocation location, const QString& fallbackUnderHome)
{
    const QString path = QStandardPaths::writableLocation(location);
    // A relative XDG base directory is invalid and ignored, as freedesktop.org defines it; Qt 6.4
    // passes it through.
    if (!path.isEmpty() && QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}
} // namespace

AppPaths::AppPaths(QString configHome, QString dataHome)
    : m_configHome(std::move(configHome)), m_dataHome(std::move(dataHome))
{
}

AppPaths AppPaths::fromEnvironment()
{
    return {xdgDirectory(QStandardPaths::GenericConfigLocation, QStringLiteral(".config")),
            xdgDirectory(QStandardPaths::GenericDataLocation, QStringLiteral(".local/share"))};
}

QString AppPaths::configDirectory() const
{
    return m_configHome + QStringLiteral("/zelvora");
}

QString AppPaths::settingsFile() const
{
    return configDirectory() + QStringLiteral("/settings.json");
}

QString AppPaths::uiStateFile() const
{
    return configDirectory() + QStringLiteral("/ui-state.json");
}

QString AppPaths::cacheDirectory() const
{
    return m_dataHome + QStringLiteral("/Quvex");
}
