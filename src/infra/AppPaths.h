#pragma once

#include <QString>

// Where the program keeps the user's files: under the XDG base directories, or under a folder of
// its own for the demo and for tests.
class AppPaths
{
public:
    AppPaths() = default;
    AppPaths(QString configHome, QString dataHome);
    // $XDG_CONFIG_HOME (else ~/.config) and $XDG_DATA_HOME (else ~/.local/share), read once.
    static AppPaths fromEnvironment();

    const QString& configHome() const { return m_configHome; }
    const QString& dataHome() const { return m_dataHome; }
    QString configDirectory() const; // <configHome>/zelvora
    QString settingsFile() const;    // <configHome>/zelvora/settings.json
    QString uiStateFile() const;     // <configHome>/zelvora/ui-state.json
    QString cacheDirectory() const;  // <dataHome>/Quvex

private:
    QString m_configHome;
    QString m_dataHome;
};
