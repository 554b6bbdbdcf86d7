#pragma once

#include <QString>

// One plain line per event: "[Component] message". No levels, no time stamps.
class Log
{
public:
    static void line(const QString& component, const QString& message);
    // Headless commands that print data move the log to standard error.
    static void useStandardError(bool enabled);
};
