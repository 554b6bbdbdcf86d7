#include "fetch/FetchError.h"

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
