#pragma once

#include "infra/Instant.h"

#include <QString>
#include <QStringList>

class AppPaths;
class CommandLine;

// `zelvora status`: how the polls of any Zelvora process have gone lately, read from the poll status
// file; exit status 1 when the last poll failed, for scripts and monitoring.
class StatusCommand
{
public:
    // With a settings file, also whether notifications are held (quiet hours, pause, mutes) and how
    // the outputs' deliveries stand.
    explicit StatusCommand(QString statusFile, QString settingsFile = QString());
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments, Instant now = Instant::now()) const;

private:
    void printHolds(Instant now) const;
    // Each output's pending and failed deliveries, from the outbox in the archive beside the status file.
    void printOutputs() const;

    QString m_statusFile;
    QString m_settingsFile;
};
