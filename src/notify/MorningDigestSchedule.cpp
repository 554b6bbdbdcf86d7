#include "notify/MorningDigestSchedule.h"

#include "model/Preferences.h"

#include <algorithm>
#include <limits>

MorningDigestSchedule::MorningDigestSchedule(Preferences& preferences, const Clock& clock,
                                             std::function<AnnouncementList()> keptAnnouncements,
                                             const QString& stateFile, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_clock(clock),
      m_keptAnnouncements(std::move(keptAnnouncements)), m_state(stateFile)
{
    m_timer.setSingleShot(true);
    // A coarse timer may be 5% late: over a day, more than an hour.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MorningDigestSchedule::check);
}

void MorningDigestSchedule::check()
{
    const std::optional<int> minute = m_preferences.digestTime();
    if (!minute) {
        m_timer.stop();
        return;
    }
    const Instant now = m_clock.now();
    const Instant due = MorningDigest::latestDue(*minute, now);
    const std::optional<Instant> last = SettingsStore::toDate(m_state.value(kStateKey));
    if ((!last || *last < due) && MorningDigest::stillTimely(due, now)) {
        m_state.setValue(kStateKey, SettingsStore::dateValue(due));
        Q_EMIT this->due(MorningDigest::make(m_keptAnnouncements(), due, now));
    }
    // A second late rather than early: the clock must have reached the time when the timer fires.
    const double seconds = MorningDigest::nextDue(*minute, now).referenceSeconds() - now.referenceSeconds();
    m_timer.start(int(std::min(seconds * 1000.0 + 1000.0, double(std::numeric_limits<int>::max()))));
}
