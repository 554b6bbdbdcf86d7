#include "outputs/OutputStore.h"

#include "model/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

OutputStore::OutputStore(Preferences& preferences)
    : m_preferences(preferences), m_secrets(secretsFile(preferences.filePath()))
{
}

QString OutputStore::secretsFile(const QString& settingsFile)
{
    return QFileInfo(settingsFile).dir().filePath(QStringLiteral("secrets.json"));
}

QList<OutputConfig> OutputStore::outputs() const
{
    QList<OutputConfig> result;
    for (const QJsonValue& value : m_preferences.outputs()) {
        if (const auto config = OutputConfig::fromJson(value.toObject()))
            result.append(*config);
    }
    return result;
}

std::optional<OutputConfig> OutputStore::output(const QString& name) const
{
    for (const OutputConfig& config : outputs()) {
        if (config.name == name)
            return config;
    }
    return std::nullopt;
}

bool OutputStore::put(const OutputConfig& config, const QString& secret)
{
    // The secret first: an output listed without its secret would fail at every delivery.
    const bool secretWritten = m_secrets.update([&](QJsonObject& secrets) {
        if (secret.isEmpty()) {
            if (!secrets.contains(config.name))
                return false;
            secrets.remove(config.name);
        } else {
            secrets.insert(config.name, QJsonObject{{OutputConfig::secretName(config.kind), secret}});
        }
        return true;
    });
    if (!secretWritten)
        return false;
    QJsonArray stored = m_preferences.outputs();
    QJsonArray kept;
    bool replaced = false;
    for (const QJsonValue& value : stored) {
        if (value.toObject().value(QStringLiteral("name")).toString() != config.name) {
            kept.append(value);
        } else if (!replaced) {
            kept.append(config.toJson()); // in its place in the list
            replaced = true;
        }
    }
    if (!replaced)
        kept.append(config.toJson());
    return m_preferences.setOutputs(kept);
}

bool OutputStore::remove(const QString& name)
{
    QJsonArray kept;
    for (const QJsonValue& value : m_preferences.outputs()) {
        if (value.toObject().value(QStringLiteral("name")).toString() != name)
            kept.append(value);
    }
    if (!m_preferences.setOutputs(kept))
        return false;
    return m_secrets.update([&](QJsonObject& secrets) {
        if (!secrets.contains(name))
            return false;
        secrets.remove(name);
        return true;
    });
}

QString OutputStore::secret(const QString& name) const
{
    const QJsonObject entry = m_secrets.value(name).toObject();
    return entry.isEmpty() ? QString() : entry.begin()->toString();
}

QString OutputStore::masked(const QString& secret)
{
    if (secret.isEmpty())
        return {};
    // Enough to tell two long tokens apart; a short secret shows nothing of itself.
    return QString(8, QLatin1Char('*')) + (secret.size() >= 16 ? secret.right(4) : QString());
}
