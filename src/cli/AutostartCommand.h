#pragma once

#include <QString>
#include <QStringList>

class CommandLine;

// `zelvora autostart on|off`: starts Zelvora with the desktop session, or stops doing so.
class AutostartCommand
{
public:
    explicit AutostartCommand(QString executablePath);
    static void registerIn(CommandLine& commandLine);
    int run(const QStringList& arguments);

    static QString entryPath(); // $XDG_CONFIG_HOME/autostart/zelvora.desktop
    QString entryText() const;

private:
    QString m_executablePath;
};
