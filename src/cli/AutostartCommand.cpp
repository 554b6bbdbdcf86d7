#include "cli/AutostartCommand.h"

#include "cli/CommandLine.h"
#include "infra/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

AutostartCommand::AutostartCommand(QString executablePath, const AppPaths& paths)
    : m_executablePath(std::move(executablePath)),
      m_entryPath(paths.configHome() + QStringLiteral("/autostart/zelvora.desktop"))
{
}

void AutostartCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand({QStringLiteral("autostart"),
                            QStringLiteral("autostart on|off"),
                            QStringLiteral("Start Zelvora when you log in, or stop doing so"),
                            CommandLine::AppKind::Core,
                            {},
                            [paths](const QCommandLineParser& parsed) {
                                return AutostartCommand(QCoreApplication::applicationFilePath(), paths)
                                    .run(parsed.positionalArguments());
                            }});
}

bool AutostartCommand::hasControlCharacter(const QString& path)
{
    return std::any_of(path.cbegin(), path.cend(), [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F);
    });
}

QString AutostartCommand::execArgument(const QString& path)
{
    // The Exec quoting rule first: in double quotes, ", `, $ and \ take a backslash.
    QString quoted = path;
    for (const QChar special : {QLatin1Char('\\'), QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        quoted.replace(special, QStringLiteral("\\") + special);
    // Then the rule for every string value, which readers undo first: each backslash doubled.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    // And % would start a field code.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString AutostartCommand::entryText() const
{
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=Zelvora\n"
                          "Comment=Watch the Saudi Exchange for company announcements and market news\n"
                          "Exec=%1\nIcon=zelvora\nTerminal=false\nX-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(m_executablePath));
}

int AutostartCommand::run(const QStringList& arguments)
{
    if (arguments.size() != 1 ||
        (arguments.first() != QLatin1String("on") && arguments.first() != QLatin1String("off")))
        return CommandLine::usageError(QStringLiteral("usage: zelvora autostart on|off"));

    const QString& path = m_entryPath;
    if (arguments.first() == QLatin1String("off")) {
        if (QFile::exists(path) && !QFile::remove(path))
            return CommandLine::failure(QStringLiteral("could not remove %1").arg(path));
        CommandLine::printOut(QStringLiteral("Zelvora will no longer start when you log in."));
        return CommandLine::Success;
    }
    // A line feed in the path would add lines to the entry (Hidden=true, another Exec=).
    if (hasControlCharacter(m_executablePath))
        return CommandLine::failure(
            QStringLiteral("the program's path holds a control character; no autostart entry written"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText().toUtf8()) < 0 || !file.commit())
        return CommandLine::failure(QStringLiteral("could not write %1: %2").arg(path, file.errorString()));
    CommandLine::printOut(QStringLiteral("Zelvora will start when you log in (%1).").arg(path));
    return CommandLine::Success;
}
