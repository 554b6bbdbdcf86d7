#pragma once

#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/MorningDigest.h"
#include "model/RuleSet.h"
#include "notify/NotificationBackend.h"
#include "notify/NotificationPermission.h"

#include <QObject>
#include <QTimeZone>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

class Preferences;

// The application's only contact with desktop notifications: the permission question, one
// notification per new announcement (after the enabled flag and the rules), and clicks
// turned into `announcementActivated`. Call from the main thread; sending returns at once and logs a
// delivery failure.
class NotificationManager : public QObject
{
    Q_OBJECT
public:
    static QString confirmationBody();
    static constexpr int kBodyLength = 100;           // grapheme clusters
    static constexpr int kConfirmationDelayMs = 1000; // after the grant

    NotificationManager(Preferences& preferences, std::unique_ptr<NotificationBackend> backend,
                        const QString& permissionStateFile, const Clock& clock, QObject* parent = nullptr);
    ~NotificationManager() override;

    // Asks whether a notification service is there, logs the answer, records it as the permission
    // and, when granted and sendTest is true, posts the confirmation notification a second later.
    void requestPermission(bool sendTest = false);
    void sendTestNotification();
    // Posts the announcement's notification when notifications are on and the rules let it through.
    void sendNotification(const Announcement& announcement);
    // What one poll has to tell, after the enabled flag and the watchlist filter: one notification
    // each, or, past the user's threshold, the watchlist matches one by one (at most five) and one
    // summary counting the rest ("23 new announcements since 08:15"; `since` is the previous poll).
    // Those in `released` waited (quiet hours, a pause, a mute) and come as one summary of their own.
    void tell(const AnnouncementList& announcements, std::optional<Instant> since,
              const AnnouncementList& released = {});

    static constexpr int kMaxOneByOne = 5;
    struct Groups
    {
        AnnouncementList oneByOne;
        AnnouncementList summarized;
    };
    static Groups group(const AnnouncementList& announcements,
                        const std::function<bool(const Announcement&)>& isMatch, int groupAbove);
    static NotificationRequest summaryFor(const AnnouncementList& summarized, std::optional<Instant> since,
                                          Instant now, const QTimeZone& zone = QTimeZone::systemTimeZone());
    // The summary of what waited: its click shows just those.
    static NotificationRequest heldSummaryFor(const AnnouncementList& released);
    // The one notification decision: the enabled flag, then the rules (Preferences::ruleSet()).
    RuleSet::Decision decide(const Announcement& announcement) const;
    bool wouldNotify(const Announcement& announcement) const { return decide(announcement).notify; }
    // The morning digest: counted by category; its click shows just those.
    void sendDigest(const MorningDigest& digest);
    static NotificationRequest digestFor(const MorningDigest& digest);
    // "Mute This Company Today": until the end of the Riyadh day.
    void muteForToday(const QStringList& symbols);
    // Zelvora has not heard from the exchange for a while; `problem` says since when and why.
    void sendNotWatchingNotification(const QString& problem);

    // Shown instead when the main backend fails (the tray icon's balloon in the tray program).
    void setFallbackBackend(std::unique_ptr<NotificationBackend> fallback);

    // For the start-up prompt: "not determined" until the user has answered it once; after that
    // whether a notification service answers now (and the stored permission follows it).
    using Status = NotificationPermission::Status;
    void queryPermission(std::function<void(Status)> handler);
    Status storedPermission() const { return m_permission.status(); }

    void setConfirmationDelay(int milliseconds) { m_confirmationDelayMs = milliseconds; }

    // With a rule's match, the body's first line names the rule and what matched; an urgent rule's
    // notification stays until dismissed.
    static NotificationRequest requestFor(const Announcement& announcement,
                                          const RuleSet::Decision& decision = {});
    // The announcement's text without the company's name its title carries, cut at a word with "…".
    static QString bodyText(const Announcement& announcement);
    // The click payload: "id" and "link" when the notification's user info holds them as text; a
    // summary's "summary", the list of identifiers it counts.
    static QVariantMap openAnnouncementData(const QVariantMap& data);

Q_SIGNALS:
    // The outcome of one post, after the fallback if one was tried: an empty error means shown.
    void delivered(const QString& identifier, const QString& error);
    void permissionAnswered(bool granted);
    // One of our notifications was clicked: `data` is its openAnnouncementData().
    void announcementActivated(const QVariantMap& data);

private:
    void deliver(const NotificationRequest& request, bool reportErrors);
    void connectActivations(NotificationBackend* backend);

    Preferences& m_preferences;
    std::unique_ptr<NotificationBackend> m_backend;
    std::unique_ptr<NotificationBackend> m_fallback;
    NotificationPermission m_permission;
    const Clock& m_clock;
    int m_confirmationDelayMs = kConfirmationDelayMs;
};
