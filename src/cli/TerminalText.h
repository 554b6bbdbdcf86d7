#pragma once

#include <QByteArray>
#include <QString>

// Portal texts printed to a terminal: control characters in them would act on the terminal (retitle
// it, write the clipboard through OSC 52, forge whole lines in cron mail).
class TerminalText
{
public:
    // Every C0 and C1 control character, DEL and lone surrogate replaced by U+FFFD.
    static QString clean(const QString& text);
    // The same for text of several lines: line feeds and tabs are kept.
    static QString cleanLines(const QString& text);
    // Compact JSON with C1 controls and DEL written as \u escapes (JSON leaves them raw); the values
    // stay exactly the same.
    static QByteArray escapeJson(const QByteArray& json);
};
