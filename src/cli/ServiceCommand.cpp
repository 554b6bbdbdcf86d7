#include "cli/ServiceCommand.h"

#include "cli/CommandLine.h"

#include <QProcess>
#include <unistd.h>

namespace {
const QString kLinger = QStringLiteral("linger");

QString commandText(const QString& program, const QStringList& arguments)
{
    return (QStringList{program} + arguments).join(QLatin1Char(' '));
}
} // namespace

ServiceCommand::ServiceCommand() : ServiceCommand(Tools{}) {}

ServiceCommand::ServiceCommand(Tools tools) : m_tools(std::move(tools)) {}

void ServiceCommand::registerIn(CommandLine& commandLine)
{
    commandLine.addCommand(
        {QStringLiteral("service"),
         QStringLiteral("service enable [--linger] | disable | status"),
         QStringLiteral("Run 'zelvora watch' as a systemd user service: enable and start it, disable and "
                        "stop it, or show how it runs"),
         CommandLine::AppKind::Core,
         {{kLinger, QStringLiteral("With enable: keep the service running when you are logged out, and "
                                   "start it at boot (loginctl enable-linger)")}},
         [](const QCommandLineParser& parsed) {
             return ServiceCommand().run(parsed.positionalArguments(), parsed.isSet(kLinger));
         }});
}

int ServiceCommand::run(const QStringList& arguments, bool linger) const
{
    const QString action = arguments.size() == 1 ? arguments.first() : QString();
    if (action == QLatin1String("enable"))
        return enable(linger);
    if ((action != QLatin1String("disable") && action != QLatin1String("status")) || linger)
        return CommandLine::usageError(
            QStringLiteral("usage: zelvora service enable [--linger] | disable | status"));

    const QStringList systemctl =
        action == QLatin1String("status")
            ? QStringList{QStringLiteral("--user"), action, QStringLiteral("--no-pager"), kUnit}
            : QStringList{QStringLiteral("--user"), action, QStringLiteral("--now"), kUnit};
    QString error;
    const int status = execute(m_tools.systemctl, systemctl, &error);
    if (status < 0)
        return CommandLine::failure(error);
    if (action == QLatin1String("status"))
        return status == 0 ? CommandLine::Success : CommandLine::Failure; // 0: running
    if (status != 0)
        return CommandLine::failure(
            QStringLiteral("'%1' failed").arg(commandText(QStringLiteral("systemctl"), systemctl)));
    CommandLine::printOut(
        QStringLiteral("The Zelvora service is stopped and no longer starts when you log in."));
    return CommandLine::Success;
}

int ServiceCommand::enable(bool linger) const
{
    const QStringList systemctl{QStringLiteral("--user"), QStringLiteral("enable"), QStringLiteral("--now"),
                                kUnit};
    QString error;
    const int status = execute(m_tools.systemctl, systemctl, &error);
    if (status < 0)
        return CommandLine::failure(error);
    if (status != 0)
        return CommandLine::failure(
            QStringLiteral("'%1' failed").arg(commandText(QStringLiteral("systemctl"), systemctl)));
    CommandLine::printOut(
        QStringLiteral("The Zelvora service runs 'zelvora watch' and starts when you log in. Its log: "
                       "journalctl --user -u zelvora"));
    if (linger) {
        const int lingerStatus = execute(m_tools.loginctl, {QStringLiteral("enable-linger")}, &error);
        if (lingerStatus < 0)
            return CommandLine::failure(error);
        if (lingerStatus != 0)
            return CommandLine::failure(QStringLiteral("'loginctl enable-linger' failed"));
    }
    if (linger || lingering()) {
        CommandLine::printOut(
            QStringLiteral("Lingering is on: the service keeps running when you log out, and "
                           "starts at boot."));
    } else {
        CommandLine::printOut(QStringLiteral("It stops when you log out, unless lingering is on: "
                                             "'zelvora service enable --linger' turns it on."));
    }
    return CommandLine::Success;
}

bool ServiceCommand::lingering() const
{
    QProcess process;
    process.start(m_tools.loginctl, {QStringLiteral("show-user"), QString::number(::getuid()),
                                     QStringLiteral("--property=Linger"), QStringLiteral("--value")});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0 && process.readAllStandardOutput().trimmed() == "yes";
}

int ServiceCommand::execute(const QString& program, const QStringList& arguments, QString* error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    // systemctl waits for the service to start, which waits for the first poll.
    if (!process.waitForStarted(30000) || !process.waitForFinished(-1) ||
        process.exitStatus() != QProcess::NormalExit) {
        *error = QStringLiteral("could not run %1: %2").arg(program, process.errorString());
        return -1;
    }
    return process.exitCode();
}
