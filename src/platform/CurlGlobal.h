#pragma once

// libcurl's process-wide set-up, done once for every user of the library (feeds, telemetry, updates).
class CurlGlobal
{
public:
    // Safe to call from any thread; false when libcurl could not be set up.
    static bool initialise();
};
