#pragma once

#include "model/Announcement.h"

#include <QSet>
#include <QStringList>
#include <optional>

// Which of a poll's kept announcements are new to the user, and which identifiers to mark seen. No
// network, thread or timer: the fetcher hands it each poll in which a feed answered, in order.
//
// What was on the portal when the program started is never new. The start is the first poll, or the
// last run's last poll when this run follows it within one interval (a relaunch for a new language).
class SeenPolicy
{
public:
    // A start this much later than one interval after the last poll still follows it.
    static constexpr double kRestartGraceSeconds = 60;

    struct Poll
    {
        AnnouncementList kept; // the kept list after this poll's merge, newest first
        QSet<QString> seen;    // the stored seen identifiers
        // What each feed showed; none when it did not answer.
        std::optional<AnnouncementList> issuer;
        std::optional<AnnouncementList> market;
        Instant now;
        std::optional<Instant> lastPollDate; // as stored before this poll
        double pollInterval = 0;             // seconds
    };

    struct Verdict
    {
        AnnouncementList newAnnouncements; // in kept-list order
        QStringList markSeen;              // every kept identifier not seen yet, in kept-list order
    };

    Verdict judge(const Poll& poll);

    bool isFirstPoll() const { return m_isFirstPoll; }
    // A one-shot `poll` decides for itself; a restart of polling is not a first poll.
    void setFirstPoll(bool firstPoll) { m_isFirstPoll = firstPoll; }

private:
    QSet<QString> presentAtStart(const Poll& poll);

    bool m_isFirstPoll = true;
    std::optional<Instant> m_startedAt;
    bool m_followsLastRun = false;
    // A feed that failed at the first poll shows what was there at start-up at its first answer:
    // its records dated up to the start are marked seen without being reported.
    bool m_issuerMissedFirstPoll = false;
    bool m_marketMissedFirstPoll = false;
    // The oldest date a full kept list has held. A fetched record no newer than that was left out for
    // lack of room at an earlier poll, and its seen mark may be gone (the seen set keeps only the kept
    // identifiers once it is full): it must not come back as new when the list has room again, as
    // after a restart of polling.
    std::optional<Instant> m_fullListHorizon;
};
