#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdio>

// Writes the program's log lines while it lives: each message of a zelvora.* category as one flushed
// line "[Component] message" (no level, no time stamp) on `stream`, from any thread. Messages of other
// categories (Qt's own) keep the handling they had. Made where a run is put together: standard
// output, or standard error for a command whose standard output is data.
class LogOutput
{
public:
    explicit LogOutput(FILE* stream);
    ~LogOutput();
    LogOutput(const LogOutput&) = delete;
    LogOutput& operator=(const LogOutput&) = delete;

    // "[Fetcher] message\n" for a message of zelvora.fetcher; empty for a category not the program's.
    static QByteArray line(const char* category, const QString& message);

private:
    FILE* m_previousStream; // set before the handler, so no line goes to the wrong stream
    QtMessageHandler m_previousHandler;
};
