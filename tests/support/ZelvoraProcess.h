#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QStringList>

// Runs the built `zelvora` program as a user would, with the environment a test gives it. The
// event loop keeps running while it waits, so services in the test process can answer it.
struct ZelvoraProcess
{
    int status = -1; // -1 when it did not finish in time
    QByteArray out;
    QString err;

    QString text() const { return QString::fromUtf8(out); }

    // The system's environment with the user's folders in `home` (config/ and data/) and, when
    // given, the portal at `origin`.
    static QProcessEnvironment environment(const QString& home, const QString& origin = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        if (!origin.isEmpty())
            env.insert(QStringLiteral("ZELVORA_PORTAL_ORIGIN"), origin);
        return env;
    }

    static ZelvoraProcess run(const QStringList& arguments, const QProcessEnvironment& environment,
                              int timeoutMs = 60000, const QByteArray& input = {})
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(QStringLiteral(ZELVORA_EXE), arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!finished.wait(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }
};
