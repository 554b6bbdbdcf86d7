#include "fetch/PortalOrigin.h"

#include <QUrl>

namespace {
QString trimmedOrigin(QString text)
{
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}
} // namespace

QString PortalOrigin::fromEnvironment()
{
    const QString fromEnvironment = qEnvironmentVariable("ZELVORA_PORTAL_ORIGIN").trimmed();
    // Used even when malformed, so a mistyped value shows up as an invalid URL instead of silently
    // reaching the real portal.
    if (!fromEnvironment.isEmpty())
        return trimmedOrigin(fromEnvironment);
    return defaultOrigin;
}

std::optional<QString> PortalOrigin::normalise(const QString& text)
{
    const QString origin = trimmedOrigin(text.trimmed());
    const QUrl url(origin, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment() ||
        !url.userInfo().isEmpty())
        return std::nullopt;
    return origin;
}

bool PortalOrigin::takeOption(QStringList& arguments, QString* origin, QString* error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        QString value;
        int taken = 0;
        if (argument == QLatin1String("--portal")) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("--portal needs an origin such as http://127.0.0.1:8080");
                return false;
            }
            value = arguments.at(i + 1);
            taken = 2;
        } else if (argument.startsWith(QLatin1String("--portal="))) {
            value = argument.mid(9);
            taken = 1;
        } else {
            continue;
        }
        const auto normalised = normalise(value);
        if (!normalised) {
            *error = QStringLiteral("'%1' is not an http or https origin (scheme://host[:port])").arg(value);
            return false;
        }
        *origin = *normalised;
        arguments.remove(i, taken);
        --i;
    }
    return true;
}
