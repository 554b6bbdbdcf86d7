#pragma once

#include "infra/Instant.h"
#include "model/Announcement.h"
#include "model/AnnouncementCategory.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaType>
#include <optional>
#include <utility>

// The optional morning digest: at a Riyadh time of day ("HH:MM", e.g. 09:15 before the pre-open), on
// each trading day, one look at what came since the previous trading day's close, counted by category.
class MorningDigest
{
    Q_DECLARE_TR_FUNCTIONS(MorningDigest)
public:
    // Minutes after the due time within which a digest still counts as on time, whatever the open.
    static constexpr double kGraceSeconds = 15 * 60;

    // The Riyadh minute of the day of "HH:MM"; none when the text is empty or no time of day.
    static std::optional<int> parseTime(const QString& text);
    static QString timeText(int minute); // "09:15"

    // The last digest due at or before `now` (on a trading day).
    static Instant latestDue(int minute, Instant now);
    // The first digest due strictly after `now`.
    static Instant nextDue(int minute, Instant now);
    // What a digest due at `due` covers: from the close of the trading day before it.
    static Instant windowStart(Instant due);
    // Whether a digest due at `due` is still worth showing at `now`: on time, or missed while the
    // program was off and the day's session has not opened yet.
    static bool stillTimely(Instant due, Instant now);

    Instant due;
    Instant since;
    AnnouncementList announcements; // published from `since` to the time it was made, newest first
    QList<std::pair<AnnouncementCategory::Kind, int>> counts; // by category, in the categories' order

    static MorningDigest make(const AnnouncementList& kept, Instant due, Instant now);

    QString title() const;     // "Morning digest: 12 announcements"
    QString breakdown() const; // "Dividends: 3, Board and management: 2, Other: 7"
    QString menuLine() const;  // "Morning Digest: 12 announcements"
    QString line() const;      // the title and the breakdown, for `zelvora watch`
    QStringList ids() const;
};
Q_DECLARE_METATYPE(MorningDigest)
