#pragma once

#include "archive/AnnouncementArchive.h"
#include "archive/Outbox.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Clock;
class IssuerDirectory;
class OutputMessage;

// Sends what the outbox holds for the outputs, one delivery at a time: claims it, sends it, and marks
// it delivered, to be tried again (RetrySchedule, a receiver's Retry-After honoured) or refused. An
// output that failed is left alone for the rest of the run. Outputs that keep quiet hours wait while
// a pause or quiet hours hold notifications (urgent deliveries pass quiet hours). Blocks while it
// sends: runs on a thread of its own, or in a command. The outputs and secrets are read afresh at
// every run, and no secret is ever logged.
class DeliveryRunner
{
public:
    struct Report
    {
        int delivered = 0;
        int retried = 0; // failed and to be tried again
        int givenUp = 0;
        QList<std::pair<QString, QString>> refusals; // output, detail
        QStringList deliveredTo;                     // outputs that took a delivery
        std::optional<Instant> nextDue;              // when a pending delivery can be tried next
    };

    // `claimer` names this runner in the claims it takes (unique among running processes).
    DeliveryRunner(QString cacheDirectory, QString settingsFile, QString claimer, const Clock& clock);

    // Sends every delivery due now; `stop`, asked before each claim, ends the run early.
    Report run(const std::function<bool()>& stop = {});

    // "tray/4711/1a2b3c4d": the teller, the process and a random part.
    static QString newClaimer(const QString& teller);

private:
    // The delivery's message from the archive's records; none when none of them is kept any more.
    std::optional<OutputMessage> message(const Outbox::Delivery& delivery, const IssuerDirectory& issuers);

    QString m_cacheDirectory;
    QString m_settingsFile;
    QString m_claimer;
    const Clock& m_clock;
    AnnouncementArchive m_archive;
};
