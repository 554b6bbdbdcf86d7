#pragma once

#include "infra/Clock.h"
#include "infra/SettingsStore.h"
#include "model/MorningDigest.h"

#include <QObject>
#include <QTimer>
#include <functional>

class Preferences;

// When the morning digest is due: a timer armed from the injected clock for the next digest time
// (read from the settings at every check), and `check()` after every poll. Each digest is made once,
// also across processes and restarts (the last one made is kept in the state file); one missed
// while the program was off is made at the first check before that day's session opens.
class MorningDigestSchedule : public QObject
{
    Q_OBJECT
public:
    static inline const QString kStateKey = QStringLiteral("lastMorningDigest");

    MorningDigestSchedule(Preferences& preferences, const Clock& clock,
                          std::function<AnnouncementList()> keptAnnouncements, const QString& stateFile,
                          QObject* parent = nullptr);

    // Makes a due digest (emitting `due`) and arms the timer for the next one.
    void check();
    const QTimer& timer() const { return m_timer; }

Q_SIGNALS:
    void due(const MorningDigest& digest);

private:
    Preferences& m_preferences;
    const Clock& m_clock;
    std::function<AnnouncementList()> m_keptAnnouncements;
    SettingsStore m_state;
    QTimer m_timer;
};
