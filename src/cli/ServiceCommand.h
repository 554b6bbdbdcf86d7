#pragma once

#include <QString>
#include <QStringList>

class CommandLine;

// `zelvora service enable [--linger] | disable | status`: runs `zelvora watch` as the systemd user
// service "zelvora.service" through `systemctl --user`, and keeps it running after logout through
// `loginctl enable-linger`. The two programs are named by the caller, so tests run stand-ins.
class ServiceCommand
{
public:
    static inline const QString kUnit = QStringLiteral("zelvora.service");

    struct Tools
    {
        QString systemctl = QStringLiteral("systemctl");
        QString loginctl = QStringLiteral("loginctl");
    };

    ServiceCommand(); // the system's systemctl and loginctl
    explicit ServiceCommand(Tools tools);
    static void registerIn(CommandLine& commandLine);
    int run(const QStringList& arguments, bool linger) const;

private:
    // Runs a program with the terminal as its output; its exit status, or -1 when it could not start.
    static int execute(const QString& program, const QStringList& arguments, QString* error);
    int enable(bool linger) const;
    bool lingering() const;

    Tools m_tools;
};
