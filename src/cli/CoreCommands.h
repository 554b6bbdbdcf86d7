#pragma once

#include "context/AppEnvironment.h"

class CommandLine;

// Registers every command that runs without a display.
class CoreCommands
{
public:
    static void registerAll(CommandLine& commandLine, const AppEnvironment& environment);
};
