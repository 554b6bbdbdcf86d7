#pragma once

#include "infra/Instant.h"

#include <QStringView>
#include <optional>

// The portal's two date texts, read as exchange (Asia/Riyadh) wall-clock time with English month names
// and AM/PM markers whatever the user's locale. Strict: every field in range, nothing left over.
class PortalDates
{
public:
    // "dd/MM/yyyy HH:mm:ss", e.g. "05/01/2025 14:30:00" (the issuer feed's "newsDateStr").
    static std::optional<Instant> parseNumeric(QStringView text);
    // "MMM d, yyyy h:mm:ss a", e.g. "Jan 5, 2025 2:30:00 PM" (the market feed's "timestamp").
    static std::optional<Instant> parseTimestamp(QStringView text);
    // A numeric "timestamp": seconds since 1970, or milliseconds when above 1e10.
    static Instant fromEpochNumber(double value);

    // Riyadh wall-clock fields to an instant (historical offsets before 1950 come from the zone data).
    static std::optional<Instant> fromRiyadhFields(int year, int month, int day, int hour, int minute,
                                                   int second);
};
