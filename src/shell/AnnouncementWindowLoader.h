#pragma once

#include "model/Announcement.h"
#include "windows/AnnouncementWindow.h"

#include <QString>

class QWidget;

// Makes announcement windows. The window and its web engine live in a module (a Qt plugin) that is
// loaded when the first one opens, so an idle tray program never maps QtWebEngine.
class AnnouncementWindowLoader
{
public:
    // nullptr when the module cannot be loaded, is refused or has another interface version (the
    // reasons are logged once).
    // `chosenModule`: the module the user named ($ZELVORA_WEB_MODULE), tried first; read at the first call.
    static QWidget* create(const Announcement& announcement, const AnnouncementWindow::Services& services,
                           const QString& chosenModule);
    // `chosenModule` when given, else beside the program (build tree), else the installed copy (relative
    // to the program, then at the configured prefix).
    static QStringList moduleCandidates(const QString& chosenModule);
    // Why the web engine would end the whole program instead of starting (it refuses to run as the
    // root user with its sandbox on), for people; empty when it can start.
    static QString webEngineRefusal(bool runAsRoot, bool sandboxOff);
    // Why the module file at `path` is not loaded (empty when it may be): it, or its folder, is
    // writable by the group or by everyone, as named or where a symbolic link leads.
    static QString refusal(const QString& path);
};
