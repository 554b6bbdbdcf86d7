#pragma once

#include "infra/Instant.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class AnnouncementArchive;
struct sqlite3_stmt;

// The deliveries to outputs, kept in the archive: a poll adds what each output is owed in the same
// transaction that records the poll, and whichever Zelvora process runs claims a due delivery in a
// transaction of its own before it sends it, so two processes never send the same one at once. A
// claim lasts longer than any send may take; a process killed mid-send leaves its claim to expire,
// and the delivery is sent again then (with the same key, so the receiver can drop the repeat).
class Outbox
{
public:
    static constexpr double kClaimSeconds = 300;       // longer than any sender's time-out
    static constexpr double kKeepSeconds = 30 * 86400; // finished deliveries are kept this long
    // A delivery still pending after this (its output removed, or held over a long weekend) is given up.
    static constexpr double kPendingForSeconds = 4 * 86400;

    static inline const QString kPending = QStringLiteral("pending");
    static inline const QString kDelivered = QStringLiteral("delivered");
    static inline const QString kRefused = QStringLiteral("refused");
    static inline const QString kGivenUp = QStringLiteral("given up");

    struct Item
    {
        QString id;   // the announcement's
        QString rule; // the rule that let it through; empty when everything is notified

        friend bool operator==(const Item&, const Item&) = default;
    };
    // A delivery as a poll adds it: one announcement, or several summed up in one message.
    struct Entry
    {
        QString output;
        QString key; // the message's: the same for every attempt
        QList<Item> items;
        bool urgent = false; // passes the output's quiet hours

        friend bool operator==(const Entry&, const Entry&) = default;
    };
    struct Delivery
    {
        qint64 row = 0;
        Entry entry;
        int attempts = 0; // before this one
        std::optional<Instant> firstAttempt;
    };
    struct Counts
    {
        int pending = 0;
        int failed = 0; // refused or given up
    };

    explicit Outbox(AnnouncementArchive& archive);

    // Inside the caller's transaction. A delivery of the same output and key is added once.
    bool add(const QList<Entry>& entries, Instant now);

    // In a transaction of its own: the first due delivery to one of `open` (or, when urgent, to one of
    // `urgentOnly`) that nobody holds a live claim on, now claimed by `claimer`.
    std::optional<Delivery> claim(const QString& claimer, Instant now, const QStringList& open,
                                  const QStringList& urgentOnly);
    // Delivered is final, whoever holds the claim by now.
    bool markDelivered(qint64 row, Instant now);
    // Another attempt at `next`, or given up without one; only while the claim is still `claimer`'s.
    bool markFailed(qint64 row, const QString& claimer, Instant now, std::optional<Instant> next,
                    const QString& error);
    bool markRefused(qint64 row, const QString& claimer, Instant now, const QString& error);

    // When the earliest pending delivery to one of `outputs` can be claimed.
    std::optional<Instant> nextDue(const QStringList& outputs);
    // Whether one of `outputs` has a delivery pending.
    bool hasPending(const QStringList& outputs);
    // By output.
    QMap<QString, Counts> counts();
    // Gives up deliveries pending too long (to outputs removed since) and forgets finished old ones.
    bool prune(Instant now);

private:
    bool step(const char* sql, const std::function<void(sqlite3_stmt*)>& bind);

    AnnouncementArchive& m_archive;
};
