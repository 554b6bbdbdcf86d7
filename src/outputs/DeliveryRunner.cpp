#include "outputs/DeliveryRunner.h"

#include "fetch/IssuerDirectory.h"
#include "infra/Clock.h"
#include "infra/LogCategories.h"
#include "model/Preferences.h"
#include "outputs/OutputMessage.h"
#include "outputs/OutputSender.h"
#include "outputs/OutputStore.h"
#include "outputs/RetrySchedule.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <memory>

namespace {

// A receiver or transport may echo what it was sent (a bot token stands in Telegram's address).
QString withoutSecret(QString detail, const QString& secret)
{
    if (!secret.isEmpty())
        detail.replace(secret, QStringLiteral("********"));
    return detail;
}

QStringList without(const QStringList& list, const QSet<QString>& left)
{
    QStringList kept;
    for (const QString& each : list) {
        if (!left.contains(each))
            kept.append(each);
    }
    return kept;
}

} // namespace

DeliveryRunner::DeliveryRunner(QString cacheDirectory, QString settingsFile, QString claimer,
                               const Clock& clock)
    : m_cacheDirectory(cacheDirectory), m_settingsFile(std::move(settingsFile)),
      m_claimer(std::move(claimer)), m_clock(clock), m_archive(std::move(cacheDirectory))
{
}

QString DeliveryRunner::newClaimer(const QString& teller)
{
    return QStringLiteral("%1/%2/%3")
        .arg(teller.isEmpty() ? QStringLiteral("poll") : teller)
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
}

std::optional<OutputMessage> DeliveryRunner::message(const Outbox::Delivery& delivery,
                                                     const IssuerDirectory& issuers)
{
    QList<OutputItem> items;
    for (const Outbox::Item& item : delivery.entry.items) {
        const std::optional<Announcement> announcement = m_archive.find(item.id);
        if (!announcement || announcement->title().isEmpty())
            continue;
        items.append(OutputItem::of(*announcement, issuers.displayName(announcement->companies().value(0)),
                                    item.rule));
    }
    if (items.isEmpty())
        return std::nullopt;
    return OutputMessage(items);
}

DeliveryRunner::Report DeliveryRunner::run(const std::function<bool()>& stop)
{
    Report report;
    Preferences preferences(m_settingsFile);
    OutputStore store(preferences);
    const QList<OutputConfig> outputs = store.outputs();
    if (outputs.isEmpty() || !QFile::exists(m_archive.filePath()) || !m_archive.open())
        return report;
    // Opened for the run only: a file deleted and made anew meanwhile is the one read next time.
    const auto closing = qScopeGuard([this] { m_archive.close(); });
    Outbox outbox(m_archive);
    Instant now = m_clock.now();
    outbox.prune(now);

    // Outputs that keep quiet hours wait while they hold; urgent deliveries pass quiet hours, not a pause.
    const NotificationGate gate = preferences.notificationGate();
    QStringList open;
    QStringList urgentOnly;
    QStringList all;
    QHash<QString, OutputConfig> byName;
    for (const OutputConfig& output : outputs) {
        byName.insert(output.name, output);
        if (!output.quietHours || !gate.heldUntil(now))
            open.append(output.name);
        else if (!gate.isPaused(now))
            urgentOnly.append(output.name);
        all.append(output.name);
    }

    const IssuerDirectory issuers(m_cacheDirectory);
    QHash<QString, std::shared_ptr<OutputSender>> senders;
    QSet<QString> failing; // left alone for the rest of this run
    while (!stop || !stop()) {
        now = m_clock.now();
        const std::optional<Outbox::Delivery> claimed =
            outbox.claim(m_claimer, now, without(open, failing), without(urgentOnly, failing));
        if (!claimed)
            break;
        const Outbox::Delivery& delivery = *claimed;
        const QString& name = delivery.entry.output;
        const OutputConfig& config = byName[name];
        const std::optional<OutputMessage> message = this->message(delivery, issuers);
        if (!message) {
            outbox.markFailed(delivery.row, m_claimer, now, std::nullopt,
                              QStringLiteral("the announcement is no longer in the archive"));
            ++report.givenUp;
            continue;
        }
        const QString secret = store.secret(name);
        std::shared_ptr<OutputSender>& sender = senders[name];
        if (!sender)
            sender = OutputSender::make(config, secret, m_clock);
        const DeliveryResult result = sender->send(*message);
        const QString detail = withoutSecret(result.detail, secret);
        const Instant ended = m_clock.now();
        switch (result.outcome) {
        case DeliveryResult::Outcome::Delivered:
            outbox.markDelivered(delivery.row, ended);
            ++report.delivered;
            if (!report.deliveredTo.contains(name))
                report.deliveredTo.append(name);
            break;
        case DeliveryResult::Outcome::RetryLater: {
            failing.insert(name);
            const std::optional<Instant> next = RetrySchedule::nextAttempt(
                delivery.firstAttempt.value_or(now), delivery.attempts + 1, ended, result.retryAfterSeconds);
            outbox.markFailed(delivery.row, m_claimer, ended, next, detail);
            if (next) {
                ++report.retried;
                qCInfo(lcOutbox, "Output %s: %s; trying again in %.0f s", qUtf8Printable(name),
                       qUtf8Printable(detail), next->referenceSeconds() - ended.referenceSeconds());
            } else {
                ++report.givenUp;
                qCWarning(lcOutbox, "Output %s: %s; given up after a day of attempts", qUtf8Printable(name),
                          qUtf8Printable(detail));
            }
            break;
        }
        case DeliveryResult::Outcome::Refused:
            failing.insert(name);
            outbox.markRefused(delivery.row, m_claimer, ended, detail);
            report.refusals.append({name, detail});
            break;
        }
    }

    now = m_clock.now();
    report.nextDue = outbox.nextDue(open);
    // What waits for quiet hours or a pause to end goes out when they do.
    const QStringList held = without(all, QSet<QString>(open.cbegin(), open.cend()));
    if (const auto until = gate.heldUntil(now); until && outbox.hasPending(held)) {
        if (!report.nextDue || *until < *report.nextDue)
            report.nextDue = until;
    }
    return report;
}
