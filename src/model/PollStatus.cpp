#include "model/PollStatus.h"

#include "model/DisplayTime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
QJsonValue timeValue(const std::optional<Instant>& instant)
{
    if (!instant)
        return QJsonValue::Null;
    return instant->toDateTime().toString(Qt::ISODateWithMs);
}

std::optional<Instant> timeFrom(const QJsonValue& value)
{
    const QDateTime dateTime = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    if (!dateTime.isValid())
        return std::nullopt;
    return Instant::fromDateTime(dateTime);
}

} // namespace

QString PollStatus::clockTime(Instant at, Instant now, const QTimeZone& zone)
{
    return DisplayTime::own(at, now, QLocale(), zone);
}

// The reason in the interface's language, from the error as logged (the stored reason may be in
// the language of whichever Zelvora process polled). A transport's own message is not ours to
// translate: it is isolated, so a right-to-left sentence around it keeps its order.
QString reasonText(const PollStatus::FeedFailure& failure)
{
    static const QRegularExpression badStatus(QStringLiteral("^badStatus\\((\\d+)\\)$"));
    const QRegularExpressionMatch status = badStatus.match(failure.error);
    if (status.hasMatch()) {
        const int code = status.captured(1).toInt();
        return code == 403 ? QCoreApplication::translate("FetchError", "403 Access Denied")
                           : QCoreApplication::translate("FetchError", "HTTP %1").arg(code);
    }
    if (failure.error.startsWith(QLatin1String("invalidPayload(")))
        return QCoreApplication::translate("FetchError", "not a feed answer");
    if (failure.error == QLatin1String("invalidURL"))
        return QCoreApplication::translate("FetchError", "invalid portal address");
    if (failure.reason.isEmpty())
        return {};
    return QChar(0x2068) + failure.reason + QChar(0x2069);
}

bool PollStatus::record(Instant at, const QList<FeedFailure>& failures, bool allFailed)
{
    m_failures = failures;
    if (!failures.isEmpty())
        m_lastFailure = at;
    if (!allFailed) {
        m_lastSuccess = at;
        m_failingSince.reset();
        m_consecutiveFailures = 0;
        return std::exchange(m_notWatching, false);
    }
    if (m_consecutiveFailures++ == 0 || !m_failingSince)
        m_failingSince = at;
    if (m_notWatching)
        return false;
    m_notWatching = m_consecutiveFailures >= kNotWatchingAfterPolls &&
                    at.referenceSeconds() - m_failingSince->referenceSeconds() > kNotWatchingAfterSeconds;
    return m_notWatching;
}

PollStatus::State PollStatus::state() const
{
    if (m_notWatching)
        return State::NotWatching;
    if (m_consecutiveFailures > 0)
        return State::Failing;
    if (!m_lastSuccess)
        return State::Unknown;
    return m_failures.isEmpty() ? State::Watching : State::PartlyFailing;
}

QString PollStatus::feedName(const QString& feed)
{
    if (feed == QLatin1String("issuer"))
        return tr("issuer announcements");
    if (feed == QLatin1String("market"))
        return tr("market news");
    return feed;
}

QString PollStatus::problem() const
{
    QStringList parts;
    for (const FeedFailure& failure : m_failures)
        parts << tr("%1: %2").arg(feedName(failure.feed), reasonText(failure));
    return parts.join(QStringLiteral("; "));
}

QString PollStatus::summary(Instant now, const QTimeZone& zone) const
{
    switch (state()) {
    case State::Unknown:
        return tr("Not checked yet");
    case State::Watching:
        if (!m_storageProblem.isEmpty())
            return m_storageProblem;
        return tr("Checked %1").arg(clockTime(*m_lastSuccess, now, zone));
    case State::PartlyFailing:
        return tr("Checked %1, but %2 failed (%3)")
            .arg(clockTime(*m_lastSuccess, now, zone), feedName(m_failures.first().feed),
                 reasonText(m_failures.first()));
    case State::Failing:
    case State::NotWatching:
        break;
    }
    const QString reason = m_failures.isEmpty() ? QString() : reasonText(m_failures.first());
    return tr("Can't reach the Saudi Exchange since %1 (%2)")
        .arg(clockTime(*m_failingSince, now, zone), reason);
}

bool PollStatus::setOutputRefusal(const QString& output, const QString& detail)
{
    if (m_outputRefusals.value(output) == detail)
        return false;
    if (detail.isEmpty())
        m_outputRefusals.remove(output);
    else
        m_outputRefusals.insert(output, detail);
    return true;
}

QString PollStatus::outputProblem() const
{
    QStringList lines;
    // The receiver's words are not ours to translate; isolated, they keep their order in Arabic.
    for (auto it = m_outputRefusals.cbegin(); it != m_outputRefusals.cend(); ++it)
        lines << tr("Output “%1” refused: %2")
                     .arg(QChar(0x2068) + it.key() + QChar(0x2069),
                          QChar(0x2068) + it.value() + QChar(0x2069));
    return lines.join(QLatin1Char('\n'));
}

QJsonObject PollStatus::toJson() const
{
    QJsonArray failures;
    for (const FeedFailure& failure : m_failures)
        failures.append(QJsonObject{{QStringLiteral("feed"), failure.feed},
                                    {QStringLiteral("error"), failure.error},
                                    {QStringLiteral("reason"), failure.reason}});
    QJsonObject refusals;
    for (auto it = m_outputRefusals.cbegin(); it != m_outputRefusals.cend(); ++it)
        refusals.insert(it.key(), it.value());
    return QJsonObject{{QStringLiteral("lastSuccess"), timeValue(m_lastSuccess)},
                       {QStringLiteral("lastFailure"), timeValue(m_lastFailure)},
                       {QStringLiteral("failingSince"), timeValue(m_failingSince)},
                       {QStringLiteral("consecutiveFailures"), m_consecutiveFailures},
                       {QStringLiteral("notWatching"), m_notWatching},
                       {QStringLiteral("failures"), failures},
                       {QStringLiteral("storageProblem"), m_storageProblem},
                       {QStringLiteral("outputRefusals"), refusals}};
}

PollStatus PollStatus::fromJson(const QJsonObject& object)
{
    PollStatus status;
    status.m_lastSuccess = timeFrom(object.value(QStringLiteral("lastSuccess")));
    status.m_lastFailure = timeFrom(object.value(QStringLiteral("lastFailure")));
    status.m_failingSince = timeFrom(object.value(QStringLiteral("failingSince")));
    status.m_consecutiveFailures = std::max(0, object.value(QStringLiteral("consecutiveFailures")).toInt());
    if (!status.m_failingSince)
        status.m_consecutiveFailures = 0; // a run of failures without its start cannot be timed
    status.m_notWatching =
        status.m_consecutiveFailures > 0 && object.value(QStringLiteral("notWatching")).toBool();
    status.m_storageProblem = object.value(QStringLiteral("storageProblem")).toString();
    const QJsonObject refusals = object.value(QStringLiteral("outputRefusals")).toObject();
    for (auto it = refusals.constBegin(); it != refusals.constEnd(); ++it) {
        if (it.value().isString() && !it.value().toString().isEmpty())
            status.m_outputRefusals.insert(it.key(), it.value().toString());
    }
    const QJsonArray failures = object.value(QStringLiteral("failures")).toArray();
    for (const QJsonValue value : failures) {
        const QJsonObject failure = value.toObject();
        status.m_failures.append({failure.value(QStringLiteral("feed")).toString(),
                                  failure.value(QStringLiteral("error")).toString(),
                                  failure.value(QStringLiteral("reason")).toString()});
    }
    return status;
}

PollStatus PollStatus::load(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    // Read no more than the limit: the size on disk may change while it is read.
    const QByteArray bytes = in.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return {};
    return fromJson(QJsonDocument::fromJson(bytes).object());
}

bool PollStatus::save(const QString& file) const
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    return out.commit();
}
