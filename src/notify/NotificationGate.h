#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"
#include "model/QuietHours.h"

#include <QHash>
#include <optional>

// Whether a notification goes out now or waits: quiet hours, a pause and muted companies hold it
// (held ones are told later in one summary). An urgent one passes quiet hours, never a pause or a
// mute, which the user asked for in so many words.
class NotificationGate
{
public:
    enum class Verdict { Deliver, Quiet, Paused, Muted };

    struct Settings
    {
        QuietHours quietHours;
        std::optional<Instant> pausedUntil;
        QHash<QString, Instant> mutedUntil; // symbol → end of the mute
    };

    NotificationGate() = default;
    explicit NotificationGate(Settings settings) : m_settings(std::move(settings)) {}

    Verdict judge(const Announcement& announcement, bool urgent, Instant now) const;
    bool isPaused(Instant now) const { return m_settings.pausedUntil && now < *m_settings.pausedUntil; }
    bool isMuted(const QString& symbol, Instant now) const;
    // Whether anything holds notifications in general now (a pause or quiet hours), and until when.
    std::optional<Instant> heldUntil(Instant now) const;

    const Settings& settings() const { return m_settings; }

private:
    Settings m_settings;
};
