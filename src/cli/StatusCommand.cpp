#include "cli/StatusCommand.h"

#include "archive/AnnouncementArchive.h"
#include "archive/Outbox.h"
#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "model/MorningDigest.h"
#include "model/PollStatus.h"
#include "model/Preferences.h"
#include "outputs/OutputStore.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString localTime(const std::optional<Instant>& instant)
{
    if (!instant)
        return QStringLiteral("never");
    // With the offset, so scripts read the same instant wherever they run.
    const QDateTime local = instant->toDateTime().toLocalTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

QString stateText(const PollStatus& status)
{
    switch (status.state()) {
    case PollStatus::State::Unknown:
        return QStringLiteral("no poll recorded yet");
    case PollStatus::State::Watching:
        return QStringLiteral("watching");
    case PollStatus::State::PartlyFailing:
        return QStringLiteral("watching, one feed failing");
    case PollStatus::State::Failing:
        break;
    case PollStatus::State::NotWatching:
        return QStringLiteral("not watching: %1 failed polls in a row since %2")
            .arg(status.consecutiveFailures())
            .arg(localTime(status.failingSince()));
    }
    return QStringLiteral("failing: %1 failed polls in a row since %2")
        .arg(status.consecutiveFailures())
        .arg(localTime(status.failingSince()));
}
} // namespace

StatusCommand::StatusCommand(QString statusFile, QString settingsFile)
    : m_statusFile(std::move(statusFile)), m_settingsFile(std::move(settingsFile))
{
}

void StatusCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand(
        {QStringLiteral("status"),
         QStringLiteral("status"),
         QStringLiteral("Print when the exchange last answered and what fails; exit 1 when the last poll "
                        "failed or none is recorded"),
         CommandLine::AppKind::Core,
         {},
         [paths](const QCommandLineParser& parsed) {
             return StatusCommand(QDir(paths.cacheDirectory()).filePath(PollStatus::kFileName),
                                  paths.settingsFile())
                 .run(parsed.positionalArguments());
         }});
}

void StatusCommand::printHolds(Instant now) const
{
    const Preferences preferences(m_settingsFile);
    const NotificationGate gate = preferences.notificationGate();
    const QuietHours& quiet = gate.settings().quietHours;
    QString quietLine = quiet.isOff() ? QStringLiteral("off") : quiet.text();
    if (quiet.isQuiet(now))
        quietLine += QStringLiteral(" (quiet until %1)").arg(localTime(quiet.quietUntil(now)));
    CommandLine::printOut(QStringLiteral("Quiet hours: ") + quietLine);
    CommandLine::printOut(QStringLiteral("Paused: ") +
                          (gate.isPaused(now)
                               ? QStringLiteral("until ") + localTime(gate.settings().pausedUntil)
                               : QStringLiteral("no")));
    QStringList muted;
    for (auto it = gate.settings().mutedUntil.cbegin(); it != gate.settings().mutedUntil.cend(); ++it) {
        if (now < it.value())
            muted << QStringLiteral("%1 until %2").arg(it.key(), localTime(it.value()));
    }
    muted.sort();
    CommandLine::printOut(QStringLiteral("Muted: ") +
                          (muted.isEmpty() ? QStringLiteral("none") : muted.join(QStringLiteral("; "))));
    if (const std::optional<int> digest = preferences.digestTime())
        CommandLine::printOut(
            QStringLiteral("Morning digest: %1 Riyadh time").arg(MorningDigest::timeText(*digest)));
}

void StatusCommand::printOutputs() const
{
    Preferences preferences(m_settingsFile);
    const QList<OutputConfig> outputs = OutputStore(preferences).outputs();
    if (outputs.isEmpty())
        return;
    AnnouncementArchive archive(QFileInfo(m_statusFile).absolutePath());
    QMap<QString, Outbox::Counts> counts;
    if (QFile::exists(archive.filePath()) && archive.open())
        counts = Outbox(archive).counts();
    for (const OutputConfig& output : outputs) {
        const Outbox::Counts each = counts.value(output.name);
        CommandLine::printOut(QStringLiteral("Output %1: %2 pending, %3 failed")
                                  .arg(output.name)
                                  .arg(each.pending)
                                  .arg(each.failed));
    }
}

int StatusCommand::run(const QStringList& arguments, Instant now) const
{
    if (!arguments.isEmpty())
        return CommandLine::usageError(QStringLiteral("usage: zelvora status"));
    const PollStatus status = PollStatus::load(m_statusFile);
    QStringList failed;
    for (const PollStatus::FeedFailure& failure : status.failures())
        failed << PollStatus::feedName(failure.feed) + QStringLiteral(": ") + failure.error;
    CommandLine::printOut(QStringLiteral("State: ") + stateText(status));
    CommandLine::printOut(QStringLiteral("Last success: ") + localTime(status.lastSuccess()));
    CommandLine::printOut(QStringLiteral("Last failure: ") + localTime(status.lastFailure()));
    CommandLine::printOut(QStringLiteral("Failed: ") +
                          (failed.isEmpty() ? QStringLiteral("nothing") : failed.join(QStringLiteral("; "))));
    if (!status.storageProblem().isEmpty())
        CommandLine::printOut(QStringLiteral("Storage: ") + status.storageProblem());
    for (auto it = status.outputRefusals().cbegin(); it != status.outputRefusals().cend(); ++it)
        CommandLine::printOut(QStringLiteral("Output “%1” refused: %2").arg(it.key(), it.value()));
    if (!m_settingsFile.isEmpty()) {
        printHolds(now);
        printOutputs();
    }
    const bool healthy =
        status.state() == PollStatus::State::Watching || status.state() == PollStatus::State::PartlyFailing;
    return healthy ? CommandLine::Success : CommandLine::Failure;
}
