#include "shell/ShowCommand.h"

#include "cli/CommandLine.h"
#include "model/AppPaths.h"
#include "windows/AnnouncementEmoji.h"
#include "windows/AnnouncementPage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {
const QString kUsage = QStringLiteral("usage: zelvora show ID [--html]");

std::optional<Announcement> fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    for (const char* key : {"id", "title", "description", "link"}) {
        if (!object.value(QLatin1String(key)).isString())
            return std::nullopt;
    }
    if (!object.value(QLatin1String("pubDate")).isDouble())
        return std::nullopt;
    QStringList companies;
    for (const QJsonValue& company : object.value(QLatin1String("companies")).toArray())
        companies.append(company.toString());
    return Announcement(
        object.value(QLatin1String("id")).toString(), object.value(QLatin1String("title")).toString(),
        object.value(QLatin1String("description")).toString(), object.value(QLatin1String("link")).toString(),
        Instant::fromReferenceSeconds(object.value(QLatin1String("pubDate")).toDouble()), companies);
}
} // namespace

ShowCommand::ShowCommand(QString cacheFile) : m_cacheFile(std::move(cacheFile)) {}

void ShowCommand::registerIn(CommandLine& commandLine)
{
    commandLine.addCommand(
        {QStringLiteral("show"), QStringLiteral("show ID [--html]"),
         QStringLiteral("Print one kept announcement as text, or its page document with --html"),
         CommandLine::AppKind::Core, [](const QStringList& arguments) {
             return ShowCommand(AppPaths::cacheDirectory() + QStringLiteral("/announcements_cache.json"))
                 .run(arguments);
         }});
}

std::optional<AnnouncementList> ShowCommand::readCache(QString* error) const
{
    QFile file(m_cacheFile);
    if (!file.exists())
        return AnnouncementList();
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_cacheFile, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isArray()) {
        *error = QStringLiteral("%1 is not an announcement cache").arg(m_cacheFile);
        return std::nullopt;
    }
    AnnouncementList list;
    for (const QJsonValue& value : document.array()) {
        if (std::optional<Announcement> announcement = fromJson(value))
            list.append(*announcement);
    }
    return list;
}

QString ShowCommand::describe(const Announcement& announcement)
{
    QString text = AnnouncementEmoji::forTitle(announcement.title()) + QLatin1Char(' ') +
                   announcement.title() + QLatin1Char('\n');
    text += QStringLiteral("Date: ") + announcement.displayDate() + QLatin1Char('\n');
    if (!announcement.companies().isEmpty())
        text += QStringLiteral("Companies: ") + announcement.companies().join(QStringLiteral(", ")) +
                QLatin1Char('\n');
    text += QStringLiteral("Link: ") + announcement.link();
    const QString description = announcement.strippedDescription();
    if (!description.isEmpty())
        text += QStringLiteral("\n\n") + description;
    return text;
}

int ShowCommand::run(const QStringList& arguments)
{
    QString id;
    bool html = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--html"))
            html = true;
        else if (argument.startsWith(QLatin1String("--")) || !id.isNull())
            return CommandLine::usageError(kUsage);
        else
            id = argument;
    }
    if (id.isEmpty())
        return CommandLine::usageError(kUsage);

    QString error;
    const std::optional<AnnouncementList> kept = readCache(&error);
    if (!kept)
        return CommandLine::failure(error);
    for (const Announcement& announcement : *kept) {
        if (announcement.id() != id)
            continue;
        if (!html) {
            CommandLine::printOut(describe(announcement));
            return CommandLine::Success;
        }
        // Exactly the document the window loads: no line feed added.
        const QByteArray bytes = AnnouncementPage::buildHTML(announcement).toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return CommandLine::Success;
    }
    return CommandLine::failure(QStringLiteral("no kept announcement has the id '%1'").arg(id));
}
