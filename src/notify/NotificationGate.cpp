#include "notify/NotificationGate.h"

#include <algorithm>

NotificationGate::Verdict NotificationGate::judge(const Announcement& announcement, bool urgent,
                                                  Instant now) const
{
    if (isPaused(now))
        return Verdict::Paused;
    const QStringList& companies = announcement.companies();
    if (std::any_of(companies.cbegin(), companies.cend(),
                    [&](const QString& symbol) { return isMuted(symbol, now); }))
        return Verdict::Muted;
    if (!urgent && m_settings.quietHours.isQuiet(now))
        return Verdict::Quiet;
    return Verdict::Deliver;
}

bool NotificationGate::isMuted(const QString& symbol, Instant now) const
{
    const auto found = m_settings.mutedUntil.constFind(symbol.trimmed().toUpper());
    return found != m_settings.mutedUntil.cend() && now < *found;
}

std::optional<Instant> NotificationGate::heldUntil(Instant now) const
{
    // A pause that ends inside quiet hours holds on until they end.
    const Instant from = isPaused(now) ? *m_settings.pausedUntil : now;
    const Instant until = m_settings.quietHours.quietUntil(from);
    if (until == now)
        return std::nullopt;
    return until;
}
