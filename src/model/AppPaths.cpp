#include "model/AppPaths.h"

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

QString AppPaths::configHome()
{
    return xdgDirectory("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString AppPaths::dataHome()
{
    return xdgDirectory("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString AppPaths::configDirectory()
{
    return configHome() + QStringLiteral("/zelvora");
}

QString AppPaths::settingsFile()
{
    return configDirectory() + QStringLiteral("/settings.json");
}

QString AppPaths::uiStateFile()
{
    return configDirectory() + QStringLiteral("/ui-state.json");
}

QString AppPaths::cacheDirectory()
{
    return dataHome() + QStringLiteral("/Quvex");
}
