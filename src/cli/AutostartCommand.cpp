#include "cli/AutostartCommand.h"

#include "cli/CommandLine.h"
#include "model/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

AutostartCommand::AutostartCommand(QString executablePath, const AppPaths& paths)
    : m_executablePath(std::move(executablePath)),
      m_entryPath(paths.configHome() + QStringLiteral("/autostart/zelvora.desktop"))
{
}

void AutostartCommand::registerIn(CommandLine& commandLine, const AppPaths& paths)
{
    commandLine.addCommand(
        {QStringLiteral("autostart"), QStringLiteral("autostart on|off"),
         QStringLiteral("Start Zelvora when you log in, or stop doing so"), CommandLine::AppKind::Core,
         [paths](const QStringList& arguments) {
             return AutostartCommand(QCoreApplication::applicationFilePath(), paths).run(arguments);
         }});
}

QString AutostartCommand::entryText() const
{
    // Desktop-entry Exec quoting: the path in double quotes with ", `, $ and \ escaped.
    QString quoted = m_executablePath;
    for (const QChar special : {QLatin1Char('\\'), QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        quoted.replace(special, QStringLiteral("\\") + special);
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=Zelvora\n"
                          "Comment=Watch the Saudi Exchange for company announcements and market news\n"
                          "Exec=\"%1\"\nIcon=zelvora\nTerminal=false\nX-GNOME-Autostart-enabled=true\n")
        .arg(quoted);
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
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText().toUtf8()) < 0 || !file.commit())
        return CommandLine::failure(QStringLiteral("could not write %1: %2").arg(path, file.errorString()));
    CommandLine::printOut(QStringLiteral("Zelvora will start when you log in (%1).").arg(path));
    return CommandLine::Success;
}
