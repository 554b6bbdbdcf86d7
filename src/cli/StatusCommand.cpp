#include "cli/StatusCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "model/PollStatus.h"

#include <QDir>

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

StatusCommand::StatusCommand(QString statusFile) : m_statusFile(std::move(statusFile)) {}

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
             return StatusCommand(QDir(paths.cacheDirectory()).filePath(PollStatus::kFileName))
                 .run(parsed.positionalArguments());
         }});
}

int StatusCommand::run(const QStringList& arguments) const
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
    const bool healthy =
        status.state() == PollStatus::State::Watching || status.state() == PollStatus::State::PartlyFailing;
    return healthy ? CommandLine::Success : CommandLine::Failure;
}
