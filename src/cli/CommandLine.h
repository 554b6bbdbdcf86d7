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
        // True when the command prints data on standard output: its log lines then go to standard error.
        std::function<bool(const QStringList& arguments)> printsData = nullptr;
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
    int runWithApp(const Command& command, int& argc, char** argv, const QStringList& arguments);

    std::vector<Command> m_commands;
    Command m_default;
    AppFactory m_guiFactory;
};
