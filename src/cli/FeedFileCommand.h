#pragma once

#include "syndication/FeedFiles.h"

#include <QCommandLineParser>

class CommandLine;
class AppPaths;

// `zelvora feed --atom|--json`: prints the feed file for other readers as the last poll wrote it.
class FeedFileCommand
{
public:
    explicit FeedFileCommand(const AppPaths& paths);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QCommandLineParser& parsed) const;

private:
    FeedFiles m_files;
};
