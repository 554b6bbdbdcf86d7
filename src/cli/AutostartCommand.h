#pragma once

#include "infra/AppPaths.h"

#include <QString>
#include <QStringList>

class CommandLine;

// `zelvora autostart on|off`: starts Zelvora with the desktop session, or stops doing so.
class AutostartCommand
{
public:
    AutostartCommand(QString executablePath, const AppPaths& paths);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments);

    QString entryText() const;
    // The path as one quoted Exec= argument, escaped as the desktop-entry format requires.
    static QString execArgument(const QString& path);
    static bool hasControlCharacter(const QString& path);

private:
    QString m_executablePath;
    QString m_entryPath; // <configHome>/autostart/zelvora.desktop
};
