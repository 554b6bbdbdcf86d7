// The settings file, which users edit by hand: every typed read, then a write of what was read, which
// must read back the same document.
#include "FuzzSupport.h"
#include "model/Preferences.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path =
        FuzzSupport::writeScratch(QStringLiteral("settings.json"), FuzzSupport::bytes(data, size));
    QFile::remove(path + QStringLiteral(".corrupt"));
    Preferences preferences(path);
    preferences.watchlist();
    preferences.showAllAnnouncements();
    preferences.notificationsEnabled();
    preferences.language();
    preferences.seenAnnouncementIDList();
    preferences.lastPollDate();
    preferences.pollInterval();
    preferences.notificationsDontAsk();
    preferences.shareUsageStatistics();

    SettingsStore store(path);
    const QJsonObject before = store.snapshot();
    if (!store.update([](QJsonObject&) { return true; }))
        FuzzSupport::fail("the settings could not be written");
    if (SettingsStore(path).snapshot() != before)
        FuzzSupport::fail("the settings written read back otherwise");
    return 0;
}
