#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>

// One output as stored under the settings key "outputs": where announcements go besides the desktop.
// Its secret (token, password or bot token) is never part of it; OutputStore keeps that apart.
struct OutputConfig
{
    Q_DECLARE_TR_FUNCTIONS(OutputConfig)

public:
    enum class Kind { Webhook, Ntfy, Smtp, Telegram, Matrix };

    QString name{};
    Kind kind = Kind::Webhook;
    QString url{};  // the webhook, the ntfy topic, the SMTP server, the Matrix homeserver, Telegram's API
    QString to{};   // SMTP
    QString from{}; // SMTP
    QString user{}; // SMTP
    QString chat{}; // Telegram
    QString room{}; // Matrix
    QString rule{}; // only what this rule lets through; empty: everything notified
    bool quietHours = false;

    static QStringList kindNames(); // in Kind's order
    static QString kindName(Kind kind);
    static std::optional<Kind> kindFromName(const QString& name);

    // The name of the kind's secret in secrets.json: "token", "password" or "botToken".
    static QString secretName(Kind kind);
    // Whether the kind cannot work without its secret (Telegram's bot token, Matrix's access token).
    static bool needsSecret(Kind kind);
    // Whether a burst goes out as one summary message; webhooks get every record.
    bool groupsBursts() const { return kind != Kind::Webhook; }

    // What is missing for the kind (a sentence), or empty when the output can be used.
    QString problem() const;
    // Where it sends to, for lists: the URL, or the address / chat / room with the server.
    QString target() const;

    QJsonObject toJson() const;
    static std::optional<OutputConfig> fromJson(const QJsonObject& object); // none without name or kind

    friend bool operator==(const OutputConfig&, const OutputConfig&) = default;
};
