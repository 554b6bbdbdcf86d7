#include "outputs/OutputConfig.h"

#include "infra/HttpClient.h"

namespace {

const QString kName = QStringLiteral("name");
const QString kKind = QStringLiteral("kind");
const QString kUrl = QStringLiteral("url");
const QString kTo = QStringLiteral("to");
const QString kFrom = QStringLiteral("from");
const QString kUser = QStringLiteral("user");
const QString kChat = QStringLiteral("chat");
const QString kRoom = QStringLiteral("room");
const QString kRule = QStringLiteral("rule");
const QString kQuietHours = QStringLiteral("quietHours");

bool isUrl(const QString& url, const QStringList& schemes)
{
    const qsizetype colon = url.indexOf(QLatin1Char(':'));
    return colon > 0 && schemes.contains(url.left(colon).toLower()) &&
           url.mid(colon).startsWith(QLatin1String("://"));
}

} // namespace

QStringList OutputConfig::kindNames()
{
    return {QStringLiteral("webhook"), QStringLiteral("ntfy"), QStringLiteral("smtp"),
            QStringLiteral("telegram"), QStringLiteral("matrix")};
}

QString OutputConfig::kindName(Kind kind)
{
    return kindNames().at(static_cast<int>(kind));
}

std::optional<OutputConfig::Kind> OutputConfig::kindFromName(const QString& name)
{
    const qsizetype index = kindNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return static_cast<Kind>(index);
}

QString OutputConfig::secretName(Kind kind)
{
    switch (kind) {
    case Kind::Smtp:
        return QStringLiteral("password");
    case Kind::Telegram:
        return QStringLiteral("botToken");
    default:
        return QStringLiteral("token");
    }
}

bool OutputConfig::needsSecret(Kind kind)
{
    return kind == Kind::Telegram || kind == Kind::Matrix;
}

QString OutputConfig::problem() const
{
    const QStringList http{QStringLiteral("http"), QStringLiteral("https")};
    switch (kind) {
    case Kind::Webhook:
    case Kind::Ntfy:
        if (!isUrl(url, http) || !HttpClient::isValidUrl(url.toUtf8()))
            return tr("needs an http or https URL");
        return {};
    case Kind::Smtp:
        if (!isUrl(url, {QStringLiteral("smtp"), QStringLiteral("smtps")}))
            return tr("needs an smtp:// or smtps:// URL");
        if (!to.contains(QLatin1Char('@')))
            return tr("needs a recipient address");
        return {};
    case Kind::Telegram:
        if (chat.isEmpty())
            return tr("needs a chat");
        if (!url.isEmpty() && !isUrl(url, http))
            return tr("needs an http or https API URL");
        return {};
    case Kind::Matrix:
        if (!isUrl(url, http))
            return tr("needs an http or https homeserver URL");
        if (room.isEmpty())
            return tr("needs a room");
        return {};
    }
    return {};
}

QString OutputConfig::target() const
{
    switch (kind) {
    case Kind::Smtp:
        return to + QStringLiteral(" via ") + url;
    case Kind::Telegram:
        return QStringLiteral("chat ") + chat + (url.isEmpty() ? QString() : QStringLiteral(" via ") + url);
    case Kind::Matrix:
        return room + QStringLiteral(" on ") + url;
    default:
        return url;
    }
}

QJsonObject OutputConfig::toJson() const
{
    QJsonObject object{{kName, name}, {kKind, kindName(kind)}};
    const std::pair<const QString&, const QString&> fields[] = {
        {kUrl, url}, {kTo, to}, {kFrom, from}, {kUser, user}, {kChat, chat}, {kRoom, room}, {kRule, rule}};
    for (const auto& [key, value] : fields) {
        if (!value.isEmpty())
            object.insert(key, value);
    }
    object.insert(kQuietHours, quietHours);
    return object;
}

std::optional<OutputConfig> OutputConfig::fromJson(const QJsonObject& object)
{
    OutputConfig config;
    config.name = object.value(kName).toString();
    const auto kind = kindFromName(object.value(kKind).toString());
    if (config.name.isEmpty() || !kind)
        return std::nullopt;
    config.kind = *kind;
    config.url = object.value(kUrl).toString();
    config.to = object.value(kTo).toString();
    config.from = object.value(kFrom).toString();
    config.user = object.value(kUser).toString();
    config.chat = object.value(kChat).toString();
    config.room = object.value(kRoom).toString();
    config.rule = object.value(kRule).toString();
    config.quietHours = object.value(kQuietHours).toBool();
    return config;
}
