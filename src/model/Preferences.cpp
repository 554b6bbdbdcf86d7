#include "model/Preferences.h"

#include "infra/LogCategories.h"
#include "model/AppConstants.h"
#include "model/MorningDigest.h"
#include "model/SettingsKeys.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace Key = SettingsKeys;

namespace {
// "localhost", 127.0.0.0/8 or ::1. Not QHostAddress: QtNetwork would be loaded for this alone.
bool isLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || host == QLatin1String("::1"))
        return true;
    const QStringList bytes = host.split(QLatin1Char('.'));
    return bytes.size() == 4 && bytes.first() == QLatin1String("127") &&
           std::all_of(bytes.cbegin(), bytes.cend(), [](const QString& byte) {
               bool ok = false;
               return !byte.isEmpty() && byte.size() <= 3 && byte.toUInt(&ok) <= 255 && ok;
           });
}
} // namespace

Preferences::Preferences(const QString& settingsFile, double minimumPollInterval)
    : m_store(settingsFile), m_minimumPollInterval(minimumPollInterval)
{
}

const QStringList& Preferences::keys()
{
    static const QStringList names = [] {
        QStringList all;
        for (const SettingsKeys::Key& key : SettingsKeys::all())
            all.append(key.name);
        return all;
    }();
    return names;
}

std::optional<QStringList> Preferences::readStringArray(const QJsonValue& value)
{
    if (!value.isArray())
        return std::nullopt;
    QStringList result;
    for (const auto& element : value.toArray()) {
        if (!element.isString())
            return std::nullopt;
        result.append(element.toString());
    }
    return result;
}

std::optional<bool> Preferences::readBool(const QJsonValue& value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0.0;
    if (value.isString()) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("yes") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("false") || text == QLatin1String("no") || text == QLatin1String("0"))
            return false;
    }
    return std::nullopt;
}

static QJsonArray toJsonArray(const QStringList& list)
{
    QJsonArray array;
    for (const QString& text : list)
        array.append(text);
    return array;
}

QSet<QString> Preferences::watchlistSymbols() const
{
    const auto list = m_store.stringArray(Key::watchlistSymbols.name);
    return list ? QSet<QString>(list->cbegin(), list->cend()) : QSet<QString>();
}

bool Preferences::setWatchlistSymbols(const QSet<QString>& symbols)
{
    QStringList list(symbols.cbegin(), symbols.cend());
    list.sort();
    return m_store.setValue(Key::watchlistSymbols.name, toJsonArray(list));
}

QStringList Preferences::watchWords() const
{
    return m_store.stringArray(Key::watchWords.name).value_or(QStringList());
}

bool Preferences::setWatchWords(const QStringList& words)
{
    return m_store.setValue(Key::watchWords.name, toJsonArray(words));
}

QJsonArray Preferences::outputs() const
{
    return m_store.value(Key::outputs.name).toArray();
}

bool Preferences::setOutputs(const QJsonArray& outputs)
{
    return m_store.setValue(Key::outputs.name, outputs);
}

bool Preferences::changeWatchlistSymbols(const std::function<void(QSet<QString>&)>& change)
{
    return m_store.updateStringArray(Key::watchlistSymbols.name, [&change](QStringList& list) {
        QSet<QString> symbols(list.cbegin(), list.cend());
        change(symbols);
        QStringList sorted(symbols.cbegin(), symbols.cend());
        sorted.sort();
        if (sorted == list)
            return false;
        list = sorted;
        return true;
    });
}

bool Preferences::changeWatchWords(const std::function<void(QStringList&)>& change)
{
    return m_store.updateStringArray(Key::watchWords.name, [&change](QStringList& words) {
        const QStringList before = words;
        change(words);
        return words != before;
    });
}

Watchlist Preferences::watchlist() const
{
    // Folding thousands of watch words takes a noticeable time; they rarely change between reads.
    const QStringList symbols = m_store.stringArray(Key::watchlistSymbols.name).value_or(QStringList());
    const QStringList words = m_store.stringArray(Key::watchWords.name).value_or(QStringList());
    const QMutexLocker lock(&m_watchlistMutex);
    if (!m_watchlist || m_watchlist->symbols != symbols || m_watchlist->words != words)
        m_watchlist =
            BuiltWatchlist{symbols, words, Watchlist(QSet<QString>(symbols.cbegin(), symbols.cend()), words)};
    return m_watchlist->watchlist;
}

QList<Rule> Preferences::rules() const
{
    QList<Rule> rules;
    for (const QJsonValue& entry : m_store.value(Key::rules.name).toArray()) {
        if (auto rule = Rule::fromJson(entry.toObject()))
            rules.append(std::move(*rule));
    }
    return rules;
}

bool Preferences::setRules(const QList<Rule>& rules)
{
    QJsonArray array;
    for (const Rule& rule : rules)
        array.append(rule.toJson());
    return m_store.setValue(Key::rules.name, array);
}

RuleSet Preferences::ruleSet() const
{
    return RuleSet(watchlist(), rules(), showAllAnnouncements());
}

bool Preferences::readBoolOrDefault(const SettingsKeys::Key& key) const
{
    return readBool(m_store.value(key.name)).value_or(key.defaultValue.toBool());
}

bool Preferences::showAllAnnouncements() const
{
    return readBoolOrDefault(Key::showAllAnnouncements);
}

void Preferences::setShowAllAnnouncements(bool value)
{
    m_store.setValue(Key::showAllAnnouncements.name, value);
}

bool Preferences::notificationsEnabled() const
{
    return readBoolOrDefault(Key::notificationsEnabled);
}

void Preferences::setNotificationsEnabled(bool value)
{
    m_store.setValue(Key::notificationsEnabled.name, value);
}

QString Preferences::language() const
{
    const QJsonValue value = m_store.value(Key::language.name);
    return value.isString() ? value.toString() : Key::language.defaultValue.toString();
}

void Preferences::setLanguage(const QString& language)
{
    m_store.setValue(Key::language.name, language);
}

QStringList Preferences::seenAnnouncementIDList() const
{
    return m_store.stringArray(Key::seenAnnouncementIDs.name).value_or(QStringList());
}

QSet<QString> Preferences::seenAnnouncementIDs() const
{
    const QStringList list = seenAnnouncementIDList();
    return QSet<QString>(list.cbegin(), list.cend());
}

void Preferences::setSeenAnnouncementIDs(const QSet<QString>& ids)
{
    QStringList list(ids.cbegin(), ids.cend());
    if (list.size() > kMaxSeenIDs)
        list.resize(kMaxSeenIDs);
    m_store.setValue(Key::seenAnnouncementIDs.name, toJsonArray(list));
}

void Preferences::markAsSeen(const QString& id)
{
    markAsSeen(QStringList{id});
}

void Preferences::markAsSeen(const QStringList& ids, const QSet<QString>& keep)
{
    m_store.updateStringArray(Key::seenAnnouncementIDs.name, [&](QStringList& list) {
        QSet<QString> present(list.cbegin(), list.cend());
        const qsizetype oldCount = list.size();
        for (const QString& id : ids) {
            if (present.contains(id))
                continue;
            present.insert(id);
            list.append(id);
        }
        const bool added = list.size() != oldCount;
        // A list made longer elsewhere (an editor) is brought back to the limit too.
        if (!added || list.size() <= kMaxSeenIDs)
            return added;
        qsizetype excess = list.size() - kMaxSeenIDs;
        QStringList trimmed;
        trimmed.reserve(kMaxSeenIDs);
        for (qsizetype i = 0; i < list.size(); ++i) {
            const bool protectedId = i >= oldCount || keep.contains(list.at(i));
            if (excess > 0 && !protectedId) {
                --excess;
                continue;
            }
            trimmed.append(list.at(i));
        }
        // Protected identifiers alone can exceed the limit only if `keep` does; then the oldest go.
        if (trimmed.size() > kMaxSeenIDs)
            trimmed.erase(trimmed.begin(), trimmed.begin() + (trimmed.size() - kMaxSeenIDs));
        list = std::move(trimmed);
        return true;
    });
}

bool Preferences::hasSeen(const QString& id) const
{
    return seenAnnouncementIDList().contains(id);
}

void Preferences::clearSeenIDs()
{
    m_store.remove(Key::seenAnnouncementIDs.name);
}

std::optional<Instant> Preferences::lastPollDate() const
{
    return SettingsStore::toDate(m_store.value(Key::lastPollDate.name));
}

void Preferences::setLastPollDate(std::optional<Instant> date)
{
    if (date)
        m_store.setValue(Key::lastPollDate.name, SettingsStore::dateValue(*date));
    else
        m_store.remove(Key::lastPollDate.name);
}

double Preferences::minimumPollInterval(const QString& portalOrigin, std::optional<double> requested)
{
    // End-to-end tests of the tray program against a local portal lower it; nothing else may.
    const QString host = QUrl(portalOrigin).host();
    return isLoopbackHost(host) && requested && *requested > 0.0 ? *requested
                                                                 : AppConstants::minimumPollInterval;
}

double Preferences::pollInterval() const
{
    const QJsonValue value = m_store.value(Key::pollInterval.name);
    double seconds = 0.0;
    if (value.isDouble())
        seconds = value.toDouble();
    else if (value.isString())
        seconds = value.toString().toDouble(); // 0 when it does not read as a number
    if (!(seconds > 0.0))
        return Key::pollInterval.defaultValue.toDouble();
    // A tiny interval would poll the portal many times a second and get the user blocked.
    const double minimum = m_minimumPollInterval;
    if (seconds < minimum) {
        if (!m_pollIntervalRaised.exchange(true))
            qCInfo(
                lcPreferences, "%s",
                qUtf8Printable(QStringLiteral("pollInterval %1 is below %2 seconds; polling every %2 seconds")
                                   .arg(seconds)
                                   .arg(minimum)));
        return minimum;
    }
    return seconds;
}

void Preferences::setPollInterval(double seconds)
{
    m_store.setValue(Key::pollInterval.name, seconds);
}

int Preferences::historyDays() const
{
    const QJsonValue value = m_store.value(Key::historyDays.name);
    if (!value.isDouble() || !(value.toDouble() >= 0))
        return Key::historyDays.defaultValue.toInt();
    const double days = value.toDouble();
    return days == 0 ? 0 : int(std::clamp(std::floor(days), double(kMinimumHistoryDays), 1e6));
}

bool Preferences::shareUsageStatistics() const
{
    return readBoolOrDefault(Key::shareUsageStatistics);
}

void Preferences::setShareUsageStatistics(bool value)
{
    m_store.setValue(Key::shareUsageStatistics.name, value);
}

int Preferences::groupNotificationsAbove() const
{
    const QJsonValue value = m_store.value(Key::groupNotificationsAbove.name);
    return value.isDouble() && value.toDouble() >= 0 ? int(std::min(value.toDouble(), 1e6))
                                                     : Key::groupNotificationsAbove.defaultValue.toInt();
}

bool Preferences::automaticUpdateChecks() const
{
    return readBoolOrDefault(Key::automaticUpdateChecks);
}

void Preferences::setAutomaticUpdateChecks(bool value)
{
    m_store.setValue(Key::automaticUpdateChecks.name, value);
}

bool Preferences::notificationsDontAsk() const
{
    return readBoolOrDefault(Key::notificationsDontAsk);
}

void Preferences::setNotificationsDontAsk(bool value)
{
    m_store.setValue(Key::notificationsDontAsk.name, value);
}

QuietHours Preferences::quietHours() const
{
    return QuietHours::parse(m_store.value(SettingsKeys::quietHours.name).toString()).value_or(QuietHours());
}

void Preferences::setQuietHours(const QString& text)
{
    if (text.trimmed().isEmpty())
        m_store.remove(SettingsKeys::quietHours.name);
    else
        m_store.setValue(SettingsKeys::quietHours.name, text.trimmed());
}

std::optional<Instant> Preferences::pausedUntil() const
{
    return SettingsStore::toDate(m_store.value(SettingsKeys::pausedUntil.name));
}

void Preferences::setPausedUntil(std::optional<Instant> until)
{
    if (until)
        m_store.setValue(SettingsKeys::pausedUntil.name, SettingsStore::dateValue(*until));
    else
        m_store.remove(SettingsKeys::pausedUntil.name);
}

QHash<QString, Instant> Preferences::mutedSymbols() const
{
    QHash<QString, Instant> muted;
    const QJsonObject object = m_store.value(SettingsKeys::mutedSymbols.name).toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        const QString symbol = it.key().trimmed().toUpper();
        if (const auto until = SettingsStore::toDate(it.value()); until && !symbol.isEmpty())
            muted.insert(symbol, *until);
    }
    return muted;
}

bool Preferences::muteSymbols(const QStringList& symbols, Instant until)
{
    return m_store.update([&](QJsonObject& settings) {
        QJsonObject muted = settings.value(SettingsKeys::mutedSymbols.name).toObject();
        for (const QString& symbol : symbols) {
            if (!symbol.trimmed().isEmpty())
                muted.insert(symbol.trimmed().toUpper(), SettingsStore::dateValue(until));
        }
        settings.insert(SettingsKeys::mutedSymbols.name, muted);
        return true;
    });
}

bool Preferences::unmuteSymbol(const QString& symbol)
{
    return m_store.update([&](QJsonObject& settings) {
        QJsonObject muted = settings.value(SettingsKeys::mutedSymbols.name).toObject();
        if (!muted.contains(symbol))
            return false;
        muted.remove(symbol);
        settings.insert(SettingsKeys::mutedSymbols.name, muted);
        return true;
    });
}

std::optional<int> Preferences::digestTime() const
{
    return MorningDigest::parseTime(m_store.value(SettingsKeys::digestTime.name).toString());
}

void Preferences::setDigestTime(const QString& text)
{
    if (const auto minute = MorningDigest::parseTime(text))
        m_store.setValue(SettingsKeys::digestTime.name, MorningDigest::timeText(*minute));
    else
        m_store.remove(SettingsKeys::digestTime.name);
}

NotificationGate Preferences::notificationGate() const
{
    return NotificationGate({quietHours(), pausedUntil(), mutedSymbols()});
}

InterfaceLanguage::Choice Preferences::interfaceLanguage() const
{
    return InterfaceLanguage::fromSetting(m_store.value(Key::interfaceLanguage.name).toString());
}

void Preferences::setInterfaceLanguage(InterfaceLanguage::Choice choice)
{
    m_store.setValue(Key::interfaceLanguage.name, InterfaceLanguage::settingFor(choice));
}

QString Preferences::telemetryUserIDKey()
{
    return AppConstants::bundleIdentifier + QStringLiteral(".telemetryUserID");
}

QString Preferences::telemetryUserID() const
{
    return m_store.value(telemetryUserIDKey()).toString();
}

void Preferences::setTelemetryUserID(const QString& id)
{
    m_store.setValue(telemetryUserIDKey(), id);
}

bool Preferences::setSeenAndLastPollDate(const QStringList& ids, Instant date)
{
    return m_store.update([&](QJsonObject& settings) {
        settings.insert(Key::seenAnnouncementIDs.name, QJsonArray::fromStringList(ids));
        settings.insert(Key::lastPollDate.name, SettingsStore::dateValue(date));
        return true;
    });
}
