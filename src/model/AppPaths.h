#pragma once

#include <QString>

// Per-user locations (XDG base directories), read from the environment at each call so tests can
// point them at temporary folders.
class AppPaths
{
public:
    static QString configHome();      // $XDG_CONFIG_HOME or ~/.config
    static QString dataHome();        // $XDG_DATA_HOME or ~/.local/share
    static QString configDirectory(); // <configHome>/zelvora
    static QString settingsFile();    // <configHome>/zelvora/settings.json
    static QString uiStateFile();     // <configHome>/zelvora/ui-state.json
    static QString cacheDirectory();  // <dataHome>/Quvex
};
