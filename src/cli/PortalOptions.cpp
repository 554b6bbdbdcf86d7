#include "cli/PortalOptions.h"

#include "fetch/PortalOrigin.h"

namespace {
const QString kDemo = QStringLiteral("demo");
const QString kPortal = QStringLiteral("portal");
} // namespace

QList<QCommandLineOption> PortalOptions::options()
{
    return {{kDemo, QStringLiteral("Run against the built-in portal simulator, in a temporary folder")},
            {kPortal, QStringLiteral("Use this portal (scheme://host[:port]) instead of the exchange's"),
             QStringLiteral("ORIGIN")}};
}

bool PortalOptions::demo(const QCommandLineParser& parsed)
{
    return parsed.isSet(kDemo);
}

bool PortalOptions::readOrigin(const QCommandLineParser& parsed, QString* origin, QString* error)
{
    if (!parsed.isSet(kPortal))
        return true;
    const QString value = parsed.value(kPortal);
    const auto normalised = PortalOrigin::normalise(value);
    if (!normalised) {
        *error = QStringLiteral("'%1' is not an http or https origin (scheme://host[:port])").arg(value);
        return false;
    }
    *origin = *normalised;
    return true;
}
