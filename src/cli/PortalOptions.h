#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

// `--demo` and `--portal ORIGIN`, the options of every command that polls the portal.
class PortalOptions
{
public:
    static QList<QCommandLineOption> options();
    static bool demo(const QCommandLineParser& parsed);
    // Sets `origin` to the --portal origin when one is given; false (with `error` set) when it is not an
    // http(s) origin.
    static bool readOrigin(const QCommandLineParser& parsed, QString* origin, QString* error);
};
