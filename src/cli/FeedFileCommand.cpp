#include "cli/FeedFileCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"

#include <QFile>
#include <cstdio>

namespace {
const QString kAtom = QStringLiteral("atom");
const QString kJson = QStringLiteral("json");
} // namespace

FeedFileCommand::FeedFileCommand(const AppPaths& paths) : m_files(paths.cacheDirectory(), QString()) {}

void FeedFileCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand(
        {QStringLiteral("feed"),
         QStringLiteral("feed --atom|--json"),
         QStringLiteral("Print the Atom feed or the JSON Feed of the announcements that would be notified, "
                        "as the last poll wrote it"),
         CommandLine::AppKind::Core,
         {{kAtom, QStringLiteral("The Atom feed (announcements.atom)")},
          {kJson, QStringLiteral("The JSON Feed (announcements.json)")}},
         [paths](const QCommandLineParser& parsed) { return FeedFileCommand(paths).run(parsed); },
         [](const QCommandLineParser&) { return true; }});
}

int FeedFileCommand::run(const QCommandLineParser& parsed) const
{
    if (!parsed.positionalArguments().isEmpty() || parsed.isSet(kAtom) == parsed.isSet(kJson))
        return CommandLine::usageError(QStringLiteral("usage: zelvora feed --atom|--json"));
    const QString path =
        m_files.path(parsed.isSet(kAtom) ? FeedFiles::Format::Atom : FeedFiles::Format::Json);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CommandLine::failure(
            QStringLiteral("no feed at %1 yet: every poll of 'zelvora watch', 'zelvora poll' or the tray "
                           "program writes it")
                .arg(path));
    const QByteArray bytes = file.readAll();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    return CommandLine::Success;
}
