#include "cli/DefaultsCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"
#include "infra/SettingsStore.h"
#include "model/SettingsKeys.h"

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

const QString kString = QStringLiteral("string");
const QString kBool = QStringLiteral("bool");
const QString kFloat = QStringLiteral("float");
const QString kArray = QStringLiteral("array");
const QString kDate = QStringLiteral("date");

const QString kUsage =
    QStringLiteral("usage: zelvora defaults read [KEY] | write KEY -string S | -bool true|false | -float N | "
                   "-array A B ... | -date ISO8601 | delete KEY");
} // namespace

DefaultsCommand::DefaultsCommand(SettingsStore& store) : m_store(store) {}

void DefaultsCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    CommandLine::Command command{
        QStringLiteral("defaults"),
        QStringLiteral("defaults read [KEY] | write KEY -TYPE VALUE... | delete KEY"),
        QStringLiteral("Read or change the settings store (types: -string -bool -float -array -date)"),
        CommandLine::AppKind::Core,
        options(),
        [paths](const QCommandLineParser& parsed) {
            SettingsStore store(paths.settingsFile());
            return DefaultsCommand(store).run(parsed);
        },
        [](const QCommandLineParser& parsed) {
            return parsed.positionalArguments().value(0) == QLatin1String("read");
        }};
    command.singleDashWords = true;
    commandLine.addCommand(std::move(command));
}

QList<QCommandLineOption> DefaultsCommand::options()
{
    return {{kString, QStringLiteral("Write a text"), QStringLiteral("S")},
            {kBool, QStringLiteral("Write true or false (also yes/no, 1/0)"), QStringLiteral("true|false")},
            {kFloat, QStringLiteral("Write a number"), QStringLiteral("N")},
            {kArray, QStringLiteral("Write the texts that follow the key as an array (-array A B ...)")},
            {kDate, QStringLiteral("Write a date and time (UTC when no offset is given)"),
             QStringLiteral("ISO8601")}};
}

int DefaultsCommand::run(const QCommandLineParser& parsed)
{
    const QStringList arguments = parsed.positionalArguments();
    if (arguments.isEmpty())
        return CommandLine::usageError(kUsage);
    const QString& verb = arguments.first();
    QStringList types;
    for (const QString& type : {kString, kBool, kFloat, kArray, kDate}) {
        if (parsed.isSet(type))
            types.append(type);
    }
    if (verb == QLatin1String("write") && types.size() == 1)
        return write(arguments.mid(1), types.first(), parsed.values(types.first()));
    if (!types.isEmpty() || verb == QLatin1String("write"))
        return CommandLine::usageError(kUsage);
    if (verb == QLatin1String("read"))
        return read(arguments.mid(1));
    if (verb == QLatin1String("delete"))
        return remove(arguments.mid(1));
    return CommandLine::usageError(kUsage);
}

int DefaultsCommand::read(const QStringList& arguments)
{
    if (arguments.size() > 1)
        return CommandLine::usageError(kUsage);
    const QJsonObject all = m_store.snapshot();
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

int DefaultsCommand::write(const QStringList& arguments, const QString& type, const QStringList& values)
{
    if (arguments.isEmpty())
        return CommandLine::usageError(kUsage);
    const QString& key = arguments.first();
    if (key.isEmpty())
        return CommandLine::usageError(QStringLiteral("'' is not a key"));
    // A known key of another type would be written, and then read as if absent.
    if (const SettingsKeys::Key* known = SettingsKeys::find(key);
        known && SettingsKeys::typeName(known->type) != type)
        return CommandLine::usageError(known->type == SettingsKeys::Type::Objects
                                           ? QStringLiteral("%1 is changed with zelvora %1").arg(key)
                                           : QStringLiteral("%1 takes -%2, not -%3")
                                                 .arg(key, SettingsKeys::typeName(known->type), type));

    QJsonValue value;
    if (type == kArray) {
        QJsonArray array;
        for (const QString& element : arguments.mid(1))
            array.append(element);
        value = array;
    } else {
        if (values.size() != 1 || arguments.size() != 1)
            return CommandLine::usageError(QStringLiteral("-%1 takes exactly one value").arg(type));
        const QString& text = values.first();
        if (type == kString) {
            value = text;
        } else if (type == kBool) {
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
        } else if (type == kFloat) {
            bool ok = false;
            const double number = text.toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return CommandLine::usageError(QStringLiteral("-float takes a number, not '%1'").arg(text));
            value = number;
        } else { // -date
            QDateTime dateTime = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (!dateTime.isValid())
                return CommandLine::usageError(
                    QStringLiteral("-date takes an ISO 8601 date and time, not '%1'").arg(text));
            if (dateTime.timeSpec() == Qt::LocalTime)
                dateTime.setTimeZone(QTimeZone::utc()); // no offset given: read as UTC
            value = SettingsStore::dateValue(Instant::fromDateTime(dateTime));
        }
    }
    if (!m_store.setValue(key, value))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_store.path()));
    return CommandLine::Success;
}

int DefaultsCommand::remove(const QStringList& arguments)
{
    if (arguments.size() != 1)
        return CommandLine::usageError(kUsage);
    const QString& key = arguments.first();
    if (!m_store.snapshot().contains(key))
        return CommandLine::failure(QStringLiteral("the key '%1' does not exist").arg(key));
    if (!m_store.remove(key))
        return CommandLine::failure(QStringLiteral("could not write %1").arg(m_store.path()));
    return CommandLine::Success;
}
