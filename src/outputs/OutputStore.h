#pragma once

#include "infra/SettingsStore.h"
#include "outputs/OutputConfig.h"

#include <QList>
#include <QString>
#include <optional>

class Preferences;

// The outputs in the settings file and their secrets in "secrets.json" beside it (readable by the
// user alone), kept apart so the settings can be shown and shared without them.
class OutputStore
{
public:
    explicit OutputStore(Preferences& preferences);

    static QString secretsFile(const QString& settingsFile);

    QList<OutputConfig> outputs() const; // entries that are not an output are skipped
    std::optional<OutputConfig> output(const QString& name) const;
    // Adds or replaces the output of that name with its secret (none when empty); false when a file
    // could not be written.
    bool put(const OutputConfig& config, const QString& secret);
    bool remove(const QString& name); // false when a file could not be written
    QString secret(const QString& name) const;

    // For lists: asterisks, and the last four characters of a long secret.
    static QString masked(const QString& secret);

private:
    Preferences& m_preferences;
    SettingsStore m_secrets;
};
