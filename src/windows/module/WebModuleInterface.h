#pragma once

// What the program and the announcement window module agree on. The program checks the module's
// version before it calls the module's factory, so a stale copy from an older build or install is
// refused instead of being called with another layout of its arguments.
//
//   extern "C" int zelvora_webModuleVersion();
//   extern "C" QWidget* zelvora_createAnnouncementWindow(const Announcement&, const
//   AnnouncementWindow::Services&);
namespace WebModuleInterface {
// Raise it whenever the factory's signature or the layout of its arguments changes.
constexpr int kVersion = 2;
constexpr const char* kVersionSymbol = "zelvora_webModuleVersion";
constexpr const char* kFactorySymbol = "zelvora_createAnnouncementWindow";
} // namespace WebModuleInterface
