#pragma once

#include "cli/DemoPortal.h"

class CommandLine;

// Registers every command that runs without a display.
class CoreCommands
{
public:
    static void registerAll(CommandLine& commandLine, const DemoPortalFactory& demoPortal);
};
