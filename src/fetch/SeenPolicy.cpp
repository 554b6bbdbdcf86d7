#include "fetch/SeenPolicy.h"

#include "fetch/KeptList.h"

SeenPolicy::Verdict SeenPolicy::judge(const Poll& poll)
{
    const QSet<QString> startIds = presentAtStart(poll);
    Verdict verdict;
    for (const Announcement& announcement : poll.kept) {
        if (poll.seen.contains(announcement.id()))
            continue;
        const bool leftOutBefore = m_fullListHorizon && !(*m_fullListHorizon < announcement.pubDate());
        const bool afterStart = !m_isFirstPoll || (m_followsLastRun && *m_startedAt < announcement.pubDate());
        if (afterStart && !leftOutBefore && !startIds.contains(announcement.id()))
            verdict.newAnnouncements.append(announcement);
        verdict.markSeen.append(announcement.id());
    }
    if (poll.kept.size() >= KeptList::kCapacity &&
        (!m_fullListHorizon || *m_fullListHorizon < poll.kept.last().pubDate()))
        m_fullListHorizon = poll.kept.last().pubDate();
    m_isFirstPoll = false;
    return verdict;
}

QSet<QString> SeenPolicy::presentAtStart(const Poll& poll)
{
    QSet<QString> ids;
    if (m_isFirstPoll) {
        const std::optional<Instant> lastPoll = poll.lastPollDate;
        const double gap = lastPoll ? poll.now.referenceSeconds() - lastPoll->referenceSeconds() : -1.0;
        m_followsLastRun = lastPoll && gap >= 0 && gap <= poll.pollInterval + kRestartGraceSeconds;
        m_startedAt = m_followsLastRun ? *lastPoll : poll.now;
        m_issuerMissedFirstPoll = !poll.issuer;
        m_marketMissedFirstPoll = !poll.market;
        return ids;
    }
    const auto firstAnswer = [this, &ids](const std::optional<AnnouncementList>& records,
                                          bool& missedFirstPoll) {
        if (!missedFirstPoll || !records || !m_startedAt)
            return;
        missedFirstPoll = false;
        for (const Announcement& announcement : *records) {
            if (!(*m_startedAt < announcement.pubDate()))
                ids.insert(announcement.id());
        }
    };
    firstAnswer(poll.issuer, m_issuerMissedFirstPoll);
    firstAnswer(poll.market, m_marketMissedFirstPoll);
    return ids;
}
