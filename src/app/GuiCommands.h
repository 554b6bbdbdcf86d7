#pragma once

#include "context/AppEnvironment.h"

class CommandLine;

// Registers the commands that need the GUI library: the tray program, started as `watch` is.
class GuiCommands
{
public:
    static void registerAll(CommandLine& commandLine, const AppEnvironment& environment);
};
