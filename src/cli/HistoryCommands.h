#pragma once

#include "history/HistoryQuery.h"

#include <QString>
#include <optional>

class CommandLine;
class QCommandLineParser;
struct AppEnvironment;

// The archive's commands: `search`, `export` and `read`.
class HistoryCommands
{
public:
    static void registerIn(CommandLine& commandLine, const AppEnvironment& environment);

    // A YYYY-MM-DD day's start in Riyadh; nullopt for anything else.
    static std::optional<Instant> dayStart(const QString& text);

private:
    static int search(const QCommandLineParser& parsed, const AppEnvironment& environment);
    static int exportTo(const QCommandLineParser& parsed, const AppEnvironment& environment);
    static int read(const QCommandLineParser& parsed, const AppEnvironment& environment);
};
