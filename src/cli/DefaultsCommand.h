#pragma once

#include <QCommandLineParser>
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
    int run(const QCommandLineParser& parsed);

private:
    static QList<QCommandLineOption> options();
    int read(const QStringList& arguments);
    // `arguments`: the key, then the elements of an array; `values`: what the -TYPE option was given.
    int write(const QStringList& arguments, const QString& type, const QStringList& values);
    int remove(const QStringList& arguments);

    Preferences& m_preferences;
};
