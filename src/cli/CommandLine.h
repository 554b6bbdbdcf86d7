#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The `zelvora` command dispatcher. Commands register a handler; the dispatcher makes the
// application object the command needs and maps errors to exit statuses.
class CommandLine
{
public:
    enum ExitStatus { Success = 0, Failure = 1, UsageError = 2 };
    enum class AppKind { Core, Gui };
    using Handler = std::function<int(const QStringList& arguments)>;
    using AppFactory = std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;

    struct Command
    {
        QString name;
        QString synopsis; // e.g. "poll [--json] [--demo]"
        QString summary;
        AppKind app = AppKind::Core;
        Handler handler;
    };

    void addCommand(Command command);
    // Runs when no command is named (arguments may still hold options such as --demo).
    void setDefaultCommand(AppKind app, Handler handler);
    void setGuiApplicationFactory(AppFactory factory);

    int run(int argc, char** argv);
    QString helpText() const;

    // For handlers: prints "zelvora: message" on standard error and returns UsageError / Failure.
    static int usageError(const QString& message);
    static int failure(const QString& message);
    static void printOut(const QString& text); // text plus a line feed on standard output

private:
    const Command* find(const QString& name) const;
    int runWithApp(AppKind app, int& argc, char** argv, const Handler& handler, const QStringList& arguments);

    std::vector<Command> m_commands;
    Handler m_defaultHandler;
    AppKind m_defaultApp = AppKind::Core;
    AppFactory m_guiFactory;
};
