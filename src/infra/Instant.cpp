#include "infra/Instant.h"

#include <cmath>

Instant Instant::fromDateTime(const QDateTime& dateTime)
{
    return fromUnixSeconds(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

Instant Instant::now()
{
    return fromDateTime(QDateTime::currentDateTimeUtc());
}

qint64 Instant::unixMilliseconds() const
{
    return static_cast<qint64>(std::llround(unixSeconds() * 1000.0));
}

QDateTime Instant::toDateTime() const
{
    return QDateTime::fromMSecsSinceEpoch(unixMilliseconds(), Qt::UTC);
}
