#include "windows/AnnouncementWindowTable.h"

#include "windows/AnnouncementWindow.h"

AnnouncementWindowTable::AnnouncementWindowTable()
    : AnnouncementWindowTable(
          [](const Announcement& announcement) { return std::make_unique<AnnouncementWindow>(announcement); })
{
}

AnnouncementWindowTable::AnnouncementWindowTable(Factory factory) : m_factory(std::move(factory)) {}

AnnouncementWindowTable::~AnnouncementWindowTable() = default;

AnnouncementWindow* AnnouncementWindowTable::windowFor(const Announcement& announcement)
{
    auto found = m_windows.find(announcement.id());
    if (found == m_windows.end())
        found = m_windows.emplace(announcement.id(), m_factory(announcement)).first;
    return found->second.get();
}

AnnouncementWindow* AnnouncementWindowTable::show(const Announcement& announcement)
{
    AnnouncementWindow* window = windowFor(announcement);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
