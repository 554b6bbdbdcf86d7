#pragma once

#include <QCommandLineParser>
#include <QStringList>

class AppPaths;
class CommandLine;
class SettingsStore;

// `zelvora defaults read|write|delete`: the settings file key by key, for keys no screen edits. It
// goes to the store itself (any key, typed by the keys table where it is one of the program's).
class DefaultsCommand
{
public:
    explicit DefaultsCommand(SettingsStore& store);
    static void registerIn(CommandLine& commandLine, const AppPaths& paths);
    int run(const QCommandLineParser& parsed);

private:
    static QList<QCommandLineOption> options();
    int read(const QStringList& arguments);
    // `arguments`: the key, then the elements of an array; `values`: what the -TYPE option was given.
    int write(const QStringList& arguments, const QString& type, const QStringList& values);
    int remove(const QStringList& arguments);

    SettingsStore& m_store;
};
