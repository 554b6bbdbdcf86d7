#pragma once

class Startup;

// `zelvora` with no command: the tray program. Lives in the system tray with no main window, keeps
// running with every window closed, and quits on the Quit command, SIGINT or SIGTERM (which the
// start-up it shares with `watch` turns into the same quit).
class TrayLauncher
{
public:
    // Runs the program over the start-up's context until it quits; the exit status.
    static int run(Startup& startup);
};
