// zelvora-test-notifyd: a stand-in notification service on the session bus for end-to-end runs.
// Every Notify call is written as one JSON line (to --record FILE, else standard output). Commands
// on standard input, one per line: "invoke ID [ACTION]" (default action "default"; the notification
// then closes), "close ID [REASON]", "quit". Prints "ready" on standard error once it owns the name.
#include "TestNotificationServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace {
QJsonObject toJson(const TestNotificationServer::Call& call)
{
    QJsonObject hints;
    for (auto it = call.hints.cbegin(); it != call.hints.cend(); ++it)
        hints.insert(it.key(), QJsonValue::fromVariant(it.value()));
    return {{QStringLiteral("id"), static_cast<qint64>(call.returnedId)},
            {QStringLiteral("appName"), call.appName},
            {QStringLiteral("replacesId"), static_cast<qint64>(call.replacesId)},
            {QStringLiteral("summary"), call.summary},
            {QStringLiteral("body"), call.body},
            {QStringLiteral("actions"), QJsonArray::fromStringList(call.actions)},
            {QStringLiteral("hints"), hints},
            {QStringLiteral("expireTimeout"), call.expireTimeout}};
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A recording org.freedesktop.Notifications service for tests."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("record"), QStringLiteral("Append each Notify call to FILE."),
                      QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("capabilities"),
                      QStringLiteral("Comma-separated capabilities to announce."), QStringLiteral("LIST")});
    parser.process(app);

    TestNotificationServer server;
    if (parser.isSet(QStringLiteral("capabilities")))
        server.setCapabilities(
            parser.value(QStringLiteral("capabilities")).split(QLatin1Char(','), Qt::SkipEmptyParts));
    if (!server.start()) {
        std::fprintf(stderr, "zelvora-test-notifyd: %s\n", qPrintable(server.lastError()));
        return 1;
    }

    QFile record;
    if (parser.isSet(QStringLiteral("record"))) {
        record.setFileName(parser.value(QStringLiteral("record")));
        if (!record.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "zelvora-test-notifyd: cannot write %s\n", qPrintable(record.fileName()));
            return 1;
        }
    } else {
        record.open(stdout, QIODevice::WriteOnly);
    }
    server.setCallObserver([&record](const TestNotificationServer::Call& call) {
        record.write(QJsonDocument(toJson(call)).toJson(QJsonDocument::Compact) + '\n');
        record.flush();
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t length = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (length <= 0) {
            input.setEnabled(false); // end of input: keep serving until killed
            return;
        }
        for (const QByteArray& line : QByteArray(buffer, length).split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            const QByteArray& command = words.first();
            if (command == "quit")
                app.quit();
            else if (command == "invoke" && words.size() >= 2)
                server.invokeAction(words.at(1).toUInt(), words.size() > 2 ? QString::fromUtf8(words.at(2))
                                                                           : QStringLiteral("default"));
            else if (command == "close" && words.size() >= 2)
                server.close(words.at(1).toUInt(), words.size() > 2 ? words.at(2).toUInt() : 3);
        }
    });
    std::fprintf(stderr, "ready\n");
    std::fflush(stderr);
    return app.exec();
}
