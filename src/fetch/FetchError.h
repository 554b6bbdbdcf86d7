#pragma once

#include <QString>

// Why a feed could not be fetched. The first three kinds are the feed's own failures; Transport carries
// the transport's (libcurl's) description unchanged.
class FetchError
{
public:
    enum class Kind { BadStatus, InvalidPayload, InvalidURL, Transport };

    static FetchError badStatus(int status) { return FetchError(Kind::BadStatus, status, {}); }
    static FetchError invalidPayload(const QString& source)
    {
        return FetchError(Kind::InvalidPayload, 0, source);
    }
    static FetchError invalidURL() { return FetchError(Kind::InvalidURL, 0, {}); }
    static FetchError transport(const QString& message) { return FetchError(Kind::Transport, 0, message); }

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }
    const QString& source() const { return m_text; }

    // As logged: badStatus(503), invalidPayload("market"), invalidURL, or the transport's message.
    QString description() const;
    // For people: "403 Access Denied", "HTTP 503", "not a feed answer", or the transport's message.
    QString reason() const;

    friend bool operator==(const FetchError&, const FetchError&) = default;

private:
    FetchError(Kind kind, int status, QString text) : m_kind(kind), m_status(status), m_text(std::move(text))
    {
    }

    Kind m_kind;
    int m_status;
    QString m_text;
};
