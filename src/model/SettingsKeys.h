#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

// Every key of the settings file with the type of its value and what an absent key reads as: the one
// list that Preferences reads by, that `zelvora defaults write` checks types against and that the
// README's key table follows.
namespace SettingsKeys {
// Named as `zelvora defaults write` names them: -string, -bool, -float, -array, -date; arrays of objects
// (rules, outputs) are written by the command of the same name alone.
enum class Type { String, Bool, Float, Array, Date, Objects };

struct Key
{
    QString name;
    Type type;
    QJsonValue defaultValue; // null: nothing (an empty list, no date)
};

extern const Key watchlistSymbols;
extern const Key watchWords;
extern const Key showAllAnnouncements;
extern const Key notificationsEnabled;
extern const Key language;
extern const Key seenAnnouncementIDs;
extern const Key lastPollDate;
extern const Key pollInterval;
extern const Key notificationsDontAsk;
extern const Key interfaceLanguage;
extern const Key shareUsageStatistics;
extern const Key rules;
extern const Key groupNotificationsAbove;
extern const Key automaticUpdateChecks;
extern const Key outputs;
extern const Key quietHours;
extern const Key pausedUntil;
extern const Key mutedSymbols;
extern const Key digestTime;
extern const Key historyDays;

const QList<Key>& all();
const Key* find(const QString& name);
QString typeName(Type type); // "string", "bool", "float", "array", "date", "objects"
} // namespace SettingsKeys
