#include "notify/NotificationManager.h"

#include "infra/LogCategories.h"
#include "model/AnnouncementHeadline.h"
#include "model/AppConstants.h"
#include "model/PollStatus.h"
#include "model/Preferences.h"
#include "model/TradingCalendar.h"
#include "model/UnicodeText.h"

#include <QLocale>
#include <QPointer>
#include <QTimer>

NotificationManager::NotificationManager(Preferences& preferences,
                                         std::unique_ptr<NotificationBackend> backend,
                                         const QString& permissionStateFile, const Clock& clock,
                                         QObject* parent)
    : QObject(parent), m_preferences(preferences), m_backend(std::move(backend)),
      m_permission(permissionStateFile), m_clock(clock)
{
    m_backend->setParent(this); // moves with the manager to the main thread
    connectActivations(m_backend.get());
}

NotificationManager::~NotificationManager()
{
    // Owned through unique_ptr, not through the QObject tree.
    if (m_backend)
        m_backend->setParent(nullptr);
    if (m_fallback)
        m_fallback->setParent(nullptr);
}

void NotificationManager::connectActivations(NotificationBackend* backend)
{
    connect(backend, &NotificationBackend::activated, this,
            [this](const QVariantMap& data) { Q_EMIT announcementActivated(openAnnouncementData(data)); });
    connect(backend, &NotificationBackend::muteRequested, this, &NotificationManager::muteForToday);
}

void NotificationManager::setFallbackBackend(std::unique_ptr<NotificationBackend> fallback)
{
    m_fallback = std::move(fallback);
    if (m_fallback) {
        m_fallback->setParent(this);
        connectActivations(m_fallback.get());
    }
}

QVariantMap NotificationManager::openAnnouncementData(const QVariantMap& data)
{
    QVariantMap result;
    for (const QString& key : {QStringLiteral("id"), QStringLiteral("link")}) {
        const QVariant value = data.value(key);
        if (value.typeId() == QMetaType::QString)
            result.insert(key, value);
    }
    const QVariant summary = data.value(QStringLiteral("summary"));
    if (summary.typeId() == QMetaType::QStringList)
        result.insert(QStringLiteral("summary"), summary);
    return result;
}

QString NotificationManager::bodyText(const Announcement& announcement)
{
    // The title already names the company: the body starts with what it announces.
    QString text = AnnouncementHeadline::of(announcement);
    if (text != announcement.strippedDescription().simplified() && !text.isEmpty() && text.front().isLower())
        text.front() = text.front().toUpper();
    return UnicodeText::clippedAtWord(text, kBodyLength);
}

NotificationRequest NotificationManager::requestFor(const Announcement& announcement,
                                                    const RuleSet::Decision& decision)
{
    QString body = bodyText(announcement);
    if (decision.match)
        body = RuleSet::matchLine(*decision.match) + QLatin1Char('\n') + body;
    NotificationRequest request{announcement.id(), announcement.displayTitle(), body,
                                QVariantMap{{QStringLiteral("link"), announcement.link()},
                                            {QStringLiteral("id"), announcement.id()}}};
    request.urgent = decision.urgent;
    request.symbols = announcement.companies();
    return request;
}

RuleSet::Decision NotificationManager::decide(const Announcement& announcement) const
{
    if (!m_preferences.notificationsEnabled())
        return {};
    return m_preferences.ruleSet().decide(announcement);
}

void NotificationManager::sendNotification(const Announcement& announcement)
{
    const RuleSet::Decision decision = decide(announcement);
    if (decision.notify)
        deliver(requestFor(announcement, decision), true);
}

NotificationManager::Groups
NotificationManager::group(const AnnouncementList& announcements,
                           const std::function<bool(const Announcement&)>& isMatch, int groupAbove)
{
    Groups groups;
    if (groupAbove <= 0 || announcements.size() <= groupAbove) {
        groups.oneByOne = announcements;
        return groups;
    }
    for (const Announcement& announcement : announcements) {
        if (groups.oneByOne.size() < kMaxOneByOne && isMatch(announcement))
            groups.oneByOne.append(announcement);
        else
            groups.summarized.append(announcement);
    }
    return groups;
}

NotificationRequest NotificationManager::summaryFor(const AnnouncementList& summarized,
                                                    std::optional<Instant> since, Instant now,
                                                    const QTimeZone& zone)
{
    const int count = int(summarized.size());
    const QString title = since ? tr("%n new announcements since %1", nullptr, count)
                                      .arg(PollStatus::clockTime(*since, now, zone))
                                : tr("%n new announcements", nullptr, count);
    QStringList lines;
    QStringList ids;
    for (const Announcement& announcement : summarized) {
        if (lines.size() < 3)
            lines.append(UnicodeText::clippedAtWord(announcement.displayTitle(), kBodyLength));
        ids.append(announcement.id());
    }
    return {QStringLiteral("zelvora-summary-") + (ids.isEmpty() ? QString() : ids.first()), title,
            lines.join(QLatin1Char('\n')), QVariantMap{{QStringLiteral("summary"), ids}}};
}

void NotificationManager::tell(const AnnouncementList& announcements, std::optional<Instant> since,
                               const AnnouncementList& released)
{
    if (!m_preferences.notificationsEnabled() || announcements.isEmpty())
        return;
    const RuleSet rules = m_preferences.ruleSet();
    QSet<QString> waited;
    for (const Announcement& announcement : released)
        waited.insert(announcement.id());
    QHash<QString, RuleSet::Decision> decisions;
    AnnouncementList passing;
    AnnouncementList passingWaited;
    for (const Announcement& announcement : announcements) {
        const RuleSet::Decision decision = rules.decide(announcement);
        if (!decision.notify)
            continue;
        decisions.insert(announcement.id(), decision);
        (waited.contains(announcement.id()) ? passingWaited : passing).append(announcement);
    }
    if (!passingWaited.isEmpty())
        deliver(heldSummaryFor(passingWaited), true);
    // Matches of the watchlist or a rule (and urgent ones) stay one by one, up to five.
    const Groups groups = group(
        passing,
        [&](const Announcement& a) {
            const RuleSet::Decision& decision = decisions[a.id()];
            return decision.match.has_value() || decision.urgent;
        },
        m_preferences.groupNotificationsAbove());
    for (const Announcement& announcement : groups.oneByOne)
        deliver(requestFor(announcement, decisions.value(announcement.id())), true);
    if (!groups.summarized.isEmpty())
        deliver(summaryFor(groups.summarized, since, m_clock.now()), true);
}

NotificationRequest NotificationManager::heldSummaryFor(const AnnouncementList& released)
{
    NotificationRequest request = summaryFor(released, std::nullopt, Instant());
    request.title = tr("%n announcements came while notifications waited", nullptr, int(released.size()));
    return request;
}

NotificationRequest NotificationManager::digestFor(const MorningDigest& digest)
{
    return {QStringLiteral("zelvora-digest"), digest.title(), digest.breakdown(),
            QVariantMap{{QStringLiteral("summary"), digest.ids()}}};
}

void NotificationManager::sendDigest(const MorningDigest& digest)
{
    if (m_preferences.notificationsEnabled())
        deliver(digestFor(digest), true);
}

void NotificationManager::muteForToday(const QStringList& symbols)
{
    const Instant now = m_clock.now();
    const Instant until = TradingCalendar::at(TradingCalendar::riyadhDay(now).addDays(1), 0);
    if (m_preferences.muteSymbols(symbols, until))
        qCInfo(lcNotificationManager, "Muted %s until %s", qUtf8Printable(symbols.join(QStringLiteral(", "))),
               qUtf8Printable(until.toDateTime().toOffsetFromUtc(3 * 3600).toString(Qt::ISODate)));
    else
        qCInfo(lcNotificationManager, "Can't save the mute of %s to %s",
               qUtf8Printable(symbols.join(QStringLiteral(", "))), qUtf8Printable(m_preferences.filePath()));
}

QString NotificationManager::confirmationBody()
{
    return tr("Notifications are working. You will receive alerts for new Saudi Exchange announcements.");
}

void NotificationManager::sendNotWatchingNotification(const QString& problem)
{
    if (!m_preferences.notificationsEnabled())
        return;
    deliver(
        {QStringLiteral("zelvora-not-watching"),
         tr("Zelvora is not watching the Saudi Exchange"),
         problem + QLatin1Char('\n') + tr("New announcements are not being checked. Zelvora keeps trying."),
         {}},
        true);
}

void NotificationManager::sendTestNotification()
{
    // Seconds since 1970 in the shortest decimal form that reads back as the same value.
    const QString seconds = QString::number(m_clock.now().unixSeconds(), 'f', QLocale::FloatingPointShortest);
    deliver({QStringLiteral("test-launch-") + seconds, AppConstants::appName, confirmationBody(), {}}, false);
}

void NotificationManager::deliver(const NotificationRequest& request, bool reportErrors)
{
    QPointer<NotificationManager> self(this);
    auto finish = [self, identifier = request.identifier, reportErrors](const QString& error) {
        if (!error.isEmpty() && reportErrors)
            qCInfo(lcNotificationManager, "Error sending notification: %s", qUtf8Printable(error));
        if (self)
            Q_EMIT self->delivered(identifier, error);
    };
    m_backend->post(request, [self, request, finish](const QString& error) {
        if (error.isEmpty() || !self || !self->m_fallback)
            finish(error);
        else
            self->m_fallback->post(request, finish);
    });
}

void NotificationManager::requestPermission(bool sendTest)
{
    QPointer<NotificationManager> self(this);
    m_backend->queryAvailability([self, sendTest](bool granted, const QString& error) {
        if (!error.isEmpty())
            qCInfo(lcNotificationManager, "Permission error: %s", qUtf8Printable(error));
        qCInfo(lcNotificationManager, "Permission granted: %s", granted ? "true" : "false");
        if (!self)
            return;
        self->m_permission.setStatus(granted ? Status::Authorized : Status::Denied);
        Q_EMIT self->permissionAnswered(granted);
        if (granted && sendTest) {
            QTimer::singleShot(self->m_confirmationDelayMs, self.data(), [self] {
                if (self)
                    self->sendTestNotification();
            });
        }
    });
}

void NotificationManager::queryPermission(std::function<void(Status)> handler)
{
    if (m_permission.status() == Status::NotDetermined) {
        handler(Status::NotDetermined);
        return;
    }
    QPointer<NotificationManager> self(this);
    m_backend->queryAvailability([self, handler](bool available, const QString&) {
        const Status status = available ? Status::Authorized : Status::Denied;
        if (self)
            self->m_permission.setStatus(status);
        handler(status);
    });
}
