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
    return m_text;
}
