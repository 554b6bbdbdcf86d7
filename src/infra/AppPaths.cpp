#include "infra/AppPaths.h"

#include <QDir>

namespace {
QString xdgDirectory(const char* variable, const QString& fallbackUnderHome)
{
    const QString value = qEnvironmentVariable(variable);
    // A relative XDG base directory is invalid and ignored, as freedesktop.org defines it.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::homePath() + QLatin1Char('/') + fallbackUnderHome;
}
} // namespace

AppPaths::AppPaths(QString configHome, QString dataHome)
    : m_configHome(std::move(configHome)), m_dataHome(std::move(dataHome))
{
}

AppPaths AppPaths::fromEnvironment()
{
    return {xdgDirectory("XDG_CONFIG_HOME", QStringLiteral(".config")),
            xdgDirectory("XDG_DATA_HOME", QStringLiteral(".local/share"))};
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
