#include "fetch/FetchError.h"

#include <QCoreApplication>

QString FetchError::description() const
{
    switch (m_kind) {
    case Kind::BadStatus:
        return QStringLiteral("badStatus(%1)").arg(m_status);
    case Kind::InvalidPayload:
        return QStringLiteral("invalidPayload(\"%1\")").arg(m_text);
    case Kind::InvalidURL:
        return QStringLiteral("invalidURL");
    case Kind::Transport:
        break;
    }
    return m_text;
}

QString FetchError::reason() const
{
    switch (m_kind) {
    case Kind::BadStatus:
        // The portal's firewall answers 403 with its "Access Denied" page.
        return m_status == 403 ? QCoreApplication::translate("FetchError", "403 Access Denied")
                               : QCoreApplication::translate("FetchError", "HTTP %1").arg(m_status);
    case Kind::InvalidPayload:
        return QCoreApplication::translate("FetchError", "not a feed answer");
    case Kind::InvalidURL:
        return QCoreApplication::translate("FetchError", "invalid portal address");
    case Kind::Transport:
        break;
    }
    // libcurl puts the details first ("Failed to connect to host port 443 after 3 ms: Couldn't connect
    // to server"); the closing phrase says it shortly, unless it is only a name ("...host: example.sa").
    const QString last = m_text.section(QStringLiteral(": "), -1);
    return last.contains(QLatin1Char(' ')) ? last : m_text;
}
