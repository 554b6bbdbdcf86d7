#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The `zelvora` command dispatcher. Each command declares its options; the dispatcher parses them
// with QCommandLineParser (usage errors and `--help` alike for every command), chooses where log
// lines go, makes the application object the command needs and runs its handler.
class CommandLine
{
public:
    enum ExitStatus { Success = 0, Failure = 1, UsageError = 2 };
    enum class AppKind { Core, Gui };
    // Options and positional arguments, parsed; returns the exit status.
    using Handler = std::function<int(const QCommandLineParser& parsed)>;
    using AppFactory = std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)>;

    struct Command
    {
        QString name;
        QString synopsis; // e.g. "poll [--json] [--demo]"
        QString summary;
        AppKind app = AppKind::Core;
        QList<QCommandLineOption> options; // besides --help
        Handler handler;
        // True when the command prints data on standard output: its log lines then go to standard error.
        std::function<bool(const QCommandLineParser& parsed)> printsData = nullptr;
        // Options written with one dash and a word ("-string"), not as clustered letters.
        bool singleDashWords = false;
    };

    void addCommand(Command command);
    // Runs when no command is named (arguments may still hold options such as --demo).
    void setDefaultCommand(AppKind app, QList<QCommandLineOption> options, Handler handler);
    void setGuiApplicationFactory(AppFactory factory);

    int run(int argc, char** argv);
    QString helpText() const;
    static QString helpText(const Command& command);

    // For handlers: prints "zelvora: message" on standard error and returns UsageError / Failure.
    static int usageError(const QString& message);
    static int failure(const QString& message);
    static void printOut(const QString& text); // text plus a line feed on standard output

private:
    const Command* find(const QString& name) const;
    int runCommand(const Command& command, int& argc, char** argv, const QStringList& arguments);

    std::vector<Command> m_commands;
    Command m_default;
    AppFactory m_guiFactory;
};
