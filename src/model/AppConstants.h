#pragma once

#include <QString>

// Fixed identity and timing of the application.
struct AppConstants
{
    static inline const QString bundleIdentifier = QStringLiteral("org.zelvora.Zelvora");
    static inline const QString appName = QStringLiteral("Zelvora");
    static inline const QString appVersion = QStringLiteral("1.2.3");
    static inline const QString buildNumber = QStringLiteral("6");
    static constexpr double pollInterval = 180.0;
    static constexpr double minimumPollInterval = 30.0;
    // The project's home page; the update checker's appcast lives under it.
    static inline const QString homepage = QStringLiteral("https://zelvora.org");
    // The freedesktop id of the installed .desktop file (notifications and autostart name it).
    static inline const QString desktopEntry = QStringLiteral("zelvora");

    static QString versionLine()
    {
        return appName + QLatin1Char(' ') + appVersion + QStringLiteral(" (") + buildNumber +
               QLatin1Char(')');
    }
};
