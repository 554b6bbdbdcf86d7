#include "cli/DefaultsCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "model/Preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <cmath>

namespace {
QString describe(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (const auto date = SettingsStore::toDate(value))
        return date->toDateTime().toString(Qt::ISODateWithMs);
    // Numbers, arrays and anything else: their JSON form (shortest text that reads back the same).
    const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

const QString kUsage =
    QStringLiteral("usage: zelvora defaults read [KEY] | write KEY -string S | -bool true|false | -float N | "
                   "-array A B ... | -date ISO8601 | delete KEY");
} // namespace

DefaultsCommand::DefaultsCommand(Preferences& preferences) : m_preferences(preferences) {}

void DefaultsCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand(
        {QStringLiteral("defaults"),
         QStringLiteral("defaults read [KEY] | write KEY -TYPE VALUE... | delete KEY"),
         QStringLiteral("Read or change the settings store (types: -string -bool -float "
                        "-array -date)"),
         CommandLine::AppKind::Core,
         [paths](const QStringList& arguments) {
             Preferences preferences(paths.settingsFile());
             return DefaultsCommand(preferences).run(arguments);
         },
         [](const QStringList& arguments) { return arguments.value(0) == QLatin1String("read"); }});
}

int DefaultsCommand::run(const QStringList& arguments)
{
    if (arguments.isEmpty())
        return CommandLine::usageError(kUsage);
    const QString& verb = arguments.first();
    if (verb == QLatin1String("read"))
        return read(arguments.mid(1));
    if (verb == QLatin1String("write"))
        return write(arguments.mid(1));
    if (verb == QLatin1String("delete"))
        return remove(arguments.mid(1));
    return CommandLine::usageError(kUsage);
}

int DefaultsCommand::read(const QStringList& arguments)
{
    if (arguments.size() > 1)
        return CommandLine::usageError(kUsage);
    const QJsonObject all = m_preferences.store().snapshot();
    if (arguments.isEmpty()) {
        CommandLine::printOut(
            QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented)).trimmed());
        return CommandLine::Success;
    }
    const QString& key = arguments.first();
    if (!all.contains(key))
        return CommandLine::failure(QStringLiteral("the key '%1' does not exist").arg(key));
    CommandLine::printOut(describe(all.value(key)));
    return CommandLine::Success;
}

int DefaultsCommand::write(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return CommandLine::usageError(kUsage);
    const QString& key = arguments.at(0);
    const QString& type = arguments.at(1);
    const QStringList values = arguments.mid(2);
    if (key.isEmpty() || key.startsWith(QLatin1Char('-')))
        return CommandLine::usageError(QStringLiteral("'%1' is not a key").arg(key));

    QJsonValue value;
    if (type == QLatin1String("-array")) {
        QJsonArray array;
        for (const QString& element : values)
            array.append(element);
        value = array;
    } else {
        if (values.size() != 1)
            return CommandLine::usageError(QStringLiteral("%1 takes exactly one value").arg(type));
        const QString& text = values.first();
        if (type == QLatin1String("-string")) {
            value = text;
        } else if (type == QLatin1String("-bool")) {
            const QString lower = text.toLower();
            if (lower == QLatin1String("true") || lower == QLatin1String("yes") ||
                lower == QLatin1String("1"))
                value = true;
            else if (lower == QLatin1String("false") || lower == QLatin1String("no") ||
                     lower == QLatin1String("0"))
                value = false;
            else
                return CommandLine::usageError(
                    QStringLiteral("-bool takes true or false, not '%1'").arg(text));
        } else if (type == QLatin1String("-float")) {
            bool ok = false;
            const double number = text.toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return CommandLine::usageError(QStringLiteral("-float takes a number, not '%1'").arg(text));
            value = number;
        } else if (type == QLatin1String("-date")) {
            QDateTime dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (!dateTime.isValid())
                return CommandLine::usageError(
                    QStringLiteral("-date takes an ISO 8601 date and time, not '%1'").arg(text));
            if (dateTime.timeSpec() == Qt::LocalTime)
                dateTime.setTimeZone(QTimeZone::utc()); // no offset given: read as UTC
            value = SettingsStore::dateValue(Instant::fromDateTime(dateTime));
        } else {
            return CommandLine::usageError(QStringLiteral("unknown type '%1'. %2").arg(type, kUsage));
        }
    }
    if (!m_preferences.store().setValue(key, value))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_preferences.store().path()));
    return CommandLine::Success;
}

int DefaultsCommand::remove(const QStringList& arguments)
{
    if (arguments.size() != 1)
        return CommandLine::usageError(kUsage);
    const QString& key = arguments.first();
    if (!m_preferences.store().snapshot().contains(key))
        return CommandLine::failure(QStringLiteral("the key '%1' does not exist").arg(key));
    if (!m_preferences.store().remove(key))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_preferences.store().path()));
    return CommandLine::Success;
}
