#include "cli/ShowCommand.h"

#include "cli/CommandLine.h"
#include "cli/TerminalText.h"
#include "context/AppEnvironment.h"
#include "fetch/AnnouncementCache.h"
#include "history/HistoryStore.h"
#include "model/AnnouncementEmoji.h"
#include "model/AnnouncementPage.h"
#include "model/DescriptionMarkup.h"

#include <cstdio>

namespace {
const QString kUsage = QStringLiteral("usage: zelvora show ID [--html]");
const QString kHtml = QStringLiteral("html");
} // namespace

ShowCommand::ShowCommand(QString cacheDirectory, const Clock& clock)
    : m_cacheDirectory(std::move(cacheDirectory)), m_clock(clock)
{
}

void ShowCommand::registerIn(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.addCommand(
        {QStringLiteral("show"),
         QStringLiteral("show ID [--html]"),
         QStringLiteral("Print one kept announcement as text, or its page document with --html"),
         CommandLine::AppKind::Core,
         {{kHtml, QStringLiteral("Print the page document, exactly as the window loads it")}},
         [environment](const QCommandLineParser& parsed) {
             return ShowCommand(environment.paths.cacheDirectory(), *environment.clock)
                 .run(parsed.positionalArguments(), parsed.isSet(kHtml));
         },
         [](const QCommandLineParser&) { return true; }});
}

QString ShowCommand::describe(const Announcement& announcement)
{
    // Only the description may span lines; a line feed anywhere else would forge a field.
    QString text = AnnouncementEmoji::forAnnouncement(announcement) + QLatin1Char(' ') +
                   TerminalText::clean(announcement.displayTitle()) + QLatin1Char('\n');
    text += QStringLiteral("Date: ") +
            announcement.displayDate(Instant::now(), QLocale(QLocale::English, QLocale::UnitedStates)) +
            QLatin1Char('\n');
    if (!announcement.companies().isEmpty())
        text += QStringLiteral("Companies: ") +
                TerminalText::clean(announcement.companies().join(QStringLiteral(", "))) + QLatin1Char('\n');
    text += QStringLiteral("Link: ") + TerminalText::clean(announcement.link());
    const QString description = announcement.strippedDescription();
    if (!description.isEmpty())
        text += QStringLiteral("\n\n") + description;
    return TerminalText::cleanLines(text);
}

int ShowCommand::run(const QStringList& arguments, bool html)
{
    if (arguments.size() != 1 || arguments.first().isEmpty())
        return CommandLine::usageError(kUsage);
    const QString& id = arguments.first();

    // What the program keeps: the recent entries of a readable cache file.
    const AnnouncementList kept =
        AnnouncementCache(m_cacheDirectory).load(m_clock.now()).value_or(AnnouncementList());
    for (const Announcement& announcement : kept) {
        if (announcement.id() != id)
            continue;
        // Shown is read, as opening it in its window is.
        HistoryStore(HistoryStore::pathIn(m_cacheDirectory), {}).markRead({id}, m_clock.now());
        if (!html) {
            CommandLine::printOut(describe(announcement));
            return CommandLine::Success;
        }
        // The document the window loads, with no line feed added; control characters would act on
        // the terminal.
        const QString page = DescriptionMarkup::forPage(AnnouncementPage::buildHTML(announcement));
        const QByteArray bytes =
            TerminalText::cleanLines(QString(page).replace(QLatin1String("\r\n"), QLatin1String("\n")))
                .toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return CommandLine::Success;
    }
    return CommandLine::failure(QStringLiteral("no kept announcement has the id '%1'").arg(id));
}
