#pragma once

#include <QString>
#include <QStringList>

class AppPaths;
class CommandLine;

// `zelvora status`: how the polls of any Zelvora process have gone lately, read from the poll status
// file; exit status 1 when the last poll failed, for scripts and monitoring.
class StatusCommand
{
public:
    explicit StatusCommand(QString statusFile);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments) const;

private:
    QString m_statusFile;
};
