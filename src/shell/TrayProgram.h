#pragma once

#include "context/AppEnvironment.h"

#include <QCommandLineParser>

// `zelvora` with no command: the tray program. Lives in the system tray with no main window, keeps
// running with every window closed, and quits on the Quit command, SIGINT or SIGTERM.
class TrayProgram
{
public:
    static int run(const QCommandLineParser& parsed, const AppEnvironment& environment);
    // Whether a graphical session is there to show a tray icon in.
    static bool displayAvailable();
};
