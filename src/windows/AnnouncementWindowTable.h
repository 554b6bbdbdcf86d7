#pragma once

#include "model/Announcement.h"

#include <functional>
#include <map>
#include <memory>

class AnnouncementWindow;

// One announcement window per announcement id, made on first use and kept for the program's life,
// so reopening an announcement shows the same window with its page as the user left it.
class AnnouncementWindowTable
{
public:
    using Factory = std::function<std::unique_ptr<AnnouncementWindow>(const Announcement&)>;

    AnnouncementWindowTable(); // windows with the default services
    explicit AnnouncementWindowTable(Factory factory);
    ~AnnouncementWindowTable();

    AnnouncementWindow* windowFor(const Announcement& announcement);
    // windowFor(), then shows, raises and activates it.
    AnnouncementWindow* show(const Announcement& announcement);
    int count() const { return static_cast<int>(m_windows.size()); }

private:
    Factory m_factory;
    std::map<QString, std::unique_ptr<AnnouncementWindow>> m_windows;
};
