// Memory of the tray program's process tree (the program and every web-engine helper process, by
// proportional set size) after opening and closing announcement windows. The owner keeps one window
// per announcement; a closed window drops its page.
#include "fetch/PortalOrigin.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AnnouncementWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
QByteArray readProc(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 parentOf(const QString& pid)
{
    // The command name (field 2) may hold spaces; the parent follows the state after the last ')'.
    const QByteArray stat = readProc(QStringLiteral("/proc/%1/stat").arg(pid));
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : -1;
}

long pssKiB(qint64 pid)
{
    for (const QByteArray& line : readProc(QStringLiteral("/proc/%1/smaps_rollup").arg(pid)).split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The process and all its descendants.
QList<qint64> processTree(qint64 root)
{
    QHash<qint64, QList<qint64>> children;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString& pid : pids)
        children[parentOf(pid)].append(pid.toLongLong());
    QList<qint64> tree{root};
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree.append(children.value(tree[i]));
    return tree;
}

void report(const char* when)
{
    const QList<qint64> tree = processTree(QCoreApplication::applicationPid());
    long total = 0;
    QStringList each;
    for (qint64 pid : tree) {
        const long pss = pssKiB(pid);
        total += pss;
        each.append(QStringLiteral("%1 %2")
                        .arg(QString::fromUtf8(readProc(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed()))
                        .arg(pss));
    }
    std::printf("%s: %ld KiB in %lld processes (%s)\n", when, total, static_cast<long long>(tree.size()),
                qPrintable(each.join(QStringLiteral(", "))));
    std::fflush(stdout);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RecordingUrlOpener opener;
    QTemporaryDir uiState;
    report("before any window");
    std::vector<std::unique_ptr<AnnouncementWindow>> windows;
    for (int i = 0; i < 20; ++i) {
        const Announcement announcement(QStringLiteral("se_%1").arg(97000 + i),
                                        QStringLiteral("Company %1 announces its annual results").arg(i),
                                        QStringLiteral("<p>Net profit rose by %1 percent.</p>").arg(i),
                                        QStringLiteral("https://www.saudiexchange.sa/item/%1").arg(i),
                                        Instant::now(), {QStringLiteral("%1").arg(2000 + i)});
        const AnnouncementWindow::Services services{&opener, QUrl(PortalOrigin::defaultOrigin),
                                                    uiState.filePath(QStringLiteral("ui-state.json"))};
        auto window = std::make_unique<AnnouncementWindow>(announcement, services);
        QSignalSpy ready(window.get(), &AnnouncementWindow::pageReady);
        window->show();
        ready.wait(20000);
        window->close();
        windows.push_back(std::move(window));
        if (i == 0) {
            QTest::qWait(2000); // let the engine end the page's renderer
            report("after the first window was opened and closed");
        }
    }
    QTest::qWait(2000);
    report("after 20 windows were opened and closed");
    return 0;
}
