#pragma once

#include "model/Announcement.h"

#include <QString>
#include <functional>

class QWidget;
class UrlOpener;

// Makes announcement windows. The window and its web engine live in a module that is loaded when the
// first one opens, so an idle tray program never maps QtWebEngine. Tests that link the windows
// directly install their own creator.
class AnnouncementWindowLoader
{
public:
    using Creator = std::function<QWidget*(const Announcement& announcement, UrlOpener* opener)>;

    // nullptr when the module cannot be loaded (the reason is logged once).
    static QWidget* create(const Announcement& announcement, UrlOpener* opener);
    static void setCreator(Creator creator);
    // $ZELVORA_WEB_MODULE, else beside the program (build tree), else the installed copy (relative to
    // the program, then at the configured prefix).
    static QStringList moduleCandidates();
};
