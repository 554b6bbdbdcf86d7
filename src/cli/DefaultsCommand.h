#pragma once

#include <QStringList>

class AppPaths;
class CommandLine;
class Preferences;

// `zelvora defaults read|write|delete`: the settings store the program uses, for keys no screen edits.
class DefaultsCommand
{
public:
    explicit DefaultsCommand(Preferences& preferences);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QStringList& arguments);

private:
    int read(const QStringList& arguments);
    int write(const QStringList& arguments);
    int remove(const QStringList& arguments);

    Preferences& m_preferences;
};
