#include "model/SettingsKeys.h"

#include "model/AppConstants.h"

#include <algorithm>

namespace SettingsKeys {
const Key watchlistSymbols{QStringLiteral("watchlistSymbols"), Type::Array, {}};
const Key watchWords{QStringLiteral("watchWords"), Type::Array, {}};
const Key showAllAnnouncements{QStringLiteral("showAllAnnouncements"), Type::Bool, true};
const Key notificationsEnabled{QStringLiteral("notificationsEnabled"), Type::Bool, true};
const Key language{QStringLiteral("language"), Type::String, QStringLiteral("en")};
const Key seenAnnouncementIDs{QStringLiteral("seenAnnouncementIDs"), Type::Array, {}};
const Key lastPollDate{QStringLiteral("lastPollDate"), Type::Date, {}};
const Key pollInterval{QStringLiteral("pollInterval"), Type::Float, AppConstants::pollInterval};
const Key notificationsDontAsk{QStringLiteral("notificationsDontAsk"), Type::Bool, false};
const Key interfaceLanguage{QStringLiteral("interfaceLanguage"), Type::String, QStringLiteral("system")};
const Key shareUsageStatistics{QStringLiteral("shareUsageStatistics"), Type::Bool, true};
const Key rules{QStringLiteral("rules"), Type::Objects, {}};
const Key groupNotificationsAbove{QStringLiteral("groupNotificationsAbove"), Type::Float, 5};
const Key automaticUpdateChecks{QStringLiteral("automaticUpdateChecks"), Type::Bool, true};
const Key historyDays{QStringLiteral("historyDays"), Type::Float, 730};
const Key outputs{QStringLiteral("outputs"), Type::Objects, {}};
const Key quietHours{QStringLiteral("quietHours"), Type::String, {}};
const Key pausedUntil{QStringLiteral("pausedUntil"), Type::Date, {}};
const Key mutedSymbols{QStringLiteral("mutedSymbols"), Type::Objects, {}};
const Key digestTime{QStringLiteral("digestTime"), Type::String, {}};

const QList<Key>& all()
{
    static const QList<Key> keys{watchlistSymbols,
                                 watchWords,
                                 showAllAnnouncements,
                                 notificationsEnabled,
                                 language,
                                 seenAnnouncementIDs,
                                 lastPollDate,
                                 pollInterval,
                                 notificationsDontAsk,
                                 interfaceLanguage,
                                 shareUsageStatistics,
                                 rules,
                                 groupNotificationsAbove,
                                 automaticUpdateChecks,
                                 outputs,
                                 historyDays,
                                 quietHours,
                                 pausedUntil,
                                 mutedSymbols,
                                 digestTime};
    return keys;
}

const Key* find(const QString& name)
{
    const auto it =
        std::find_if(all().cbegin(), all().cend(), [&](const Key& key) { return key.name == name; });
    return it == all().cend() ? nullptr : &*it;
}

QString typeName(Type type)
{
    switch (type) {
    case Type::String:
        return QStringLiteral("string");
    case Type::Bool:
        return QStringLiteral("bool");
    case Type::Float:
        return QStringLiteral("float");
    case Type::Array:
        return QStringLiteral("array");
    case Type::Date:
        return QStringLiteral("date");
    case Type::Objects:
        break;
    }
    return QStringLiteral("objects");
}
} // namespace SettingsKeys
