#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

class Clock;
class CommandLine;
class OutputStore;
struct AppEnvironment;
struct OutputConfig;

// `zelvora outputs [list | add NAME KIND... | remove NAME | test NAME]`: the outputs in the settings
// file, their secrets in secrets.json (masked when listed; `-` reads one from standard input).
class OutputsCommand
{
public:
    // `ruleNames`: the rules an output may be limited to.
    OutputsCommand(OutputStore& store, QStringList ruleNames, const Clock& clock, QString portalOrigin);
    static void registerIn(CommandLine& commandLine, const AppEnvironment& environment);
    static QList<QCommandLineOption> options();

    int run(const QCommandLineParser& parsed);

private:
    int list() const;
    int add(const QString& name, const QCommandLineParser& parsed);
    int remove(const QString& name);
    int test(const QString& name) const;

    OutputStore& m_store;
    QStringList m_ruleNames;
    const Clock& m_clock;
    QString m_portalOrigin;
};
